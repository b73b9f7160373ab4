// A compact text form of an XML tree, for comparing trees in tests.
#pragma once

#include <string>

#include "xml/xml.h"

// Elements separated by blanks: the name ("~" for none), attributes in brackets
// (a value in quotes, none without), and for an element that is not empty its
// children in braces: `a[x y="1"]{b c{}}` is the tree of
// <a x y="1"><b/><c></c></a> built by hand with c non-empty.
inline std::string treeText(const XmlElement& element) {
    std::string out = element.hasName() ? std::string(element.name()) : "~";
    if (element.attributeCount() > 0) {
        out += '[';
        for (int i = 0; i < element.attributeCount(); ++i) {
            const XmlAttribute& a = *element.attributeAt(i);
            if (i > 0)
                out += ' ';
            out += a.name();
            if (const auto value = a.value())
                out += "=\"" + std::string(*value) + '"';
        }
        out += ']';
    }
    if (!element.isEmpty()) {
        out += '{';
        for (int i = 0; i < element.childCount(); ++i) {
            if (i > 0)
                out += ' ';
            out += treeText(*element.childAt(i));
        }
        out += '}';
    }
    return out;
}

inline std::string treeText(const XmlDocument& document) {
    std::string out;
    for (int i = 0; i < document.elementCount(); ++i) {
        if (i > 0)
            out += ' ';
        out += treeText(*document.elementAt(i));
    }
    return out;
}
