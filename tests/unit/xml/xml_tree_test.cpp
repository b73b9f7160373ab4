// The XML element tree: building, lookups and destruction.
#include <gtest/gtest.h>

#include "tests/unit/xml/tree_text.h"
#include "xml/xml.h"

TEST(XmlTree, LookupsAreExactAndCaseSensitive) {
    XmlDocument document;
    document.addElement("date", true);
    document.addElement("Date", true);
    document.addElement("date", true);
    EXPECT_EQ(document.findElement("date"), 0);
    EXPECT_EQ(document.findElement("Date"), 1);
    EXPECT_EQ(document.findElement("DATE"), -1);
    EXPECT_EQ(document.findElement("dat"), -1);

    XmlElement* root = document.elementAt(0);
    root->addChild("zeit", true);
    root->addChild("text", true);
    EXPECT_EQ(root->findChild("text"), 1);
    EXPECT_EQ(root->findChild("Text"), -1);
    EXPECT_EQ(root->findChild(""), -1);
}

TEST(XmlTree, IndexesOutsideTheRangeGiveNothing) {
    XmlDocument document;
    EXPECT_EQ(document.elementAt(0), nullptr);
    XmlElement* a = document.addElement("a", false);
    a->addChild("b", true);
    a->addAttribute("x", "1");
    EXPECT_EQ(document.elementAt(0), a);
    EXPECT_EQ(document.elementAt(-1), nullptr);
    EXPECT_EQ(document.elementAt(1), nullptr);
    EXPECT_NE(a->childAt(0), nullptr);
    EXPECT_EQ(a->childAt(-1), nullptr);
    EXPECT_EQ(a->childAt(1), nullptr);
    EXPECT_EQ(a->attributeAt(-1), nullptr);
    EXPECT_EQ(a->attributeAt(1), nullptr);
}

TEST(XmlTree, AttributesKeepDuplicatesAndAbsentValues) {
    XmlDocument document;
    XmlElement* date = document.addElement("date", true);
    date->addAttribute("text", "erst");
    date->addAttribute("text", "zweit");
    date->addAttribute("flag", std::nullopt);
    date->addAttribute("leer", "");
    EXPECT_EQ(date->attributeCount(), 4);
    EXPECT_EQ(date->attribute("text"), "erst");
    EXPECT_EQ(date->attribute("flag"), std::nullopt);
    EXPECT_EQ(date->attribute("leer"), "");
    EXPECT_EQ(date->attribute("Text"), std::nullopt);
    EXPECT_EQ(date->attribute("zeit"), std::nullopt);
}

TEST(XmlTree, FirstChildMakesAnElementNonEmpty) {
    XmlDocument document;
    XmlElement* a = document.addElement("a", true);
    XmlElement* b = document.addElement("b", false);
    EXPECT_TRUE(a->isEmpty());
    EXPECT_FALSE(b->isEmpty());
    XmlElement* child = a->addChild("c", true);
    EXPECT_FALSE(a->isEmpty());
    EXPECT_TRUE(child->isEmpty());
    EXPECT_EQ(child->parent(), a);
    EXPECT_EQ(a->parent(), nullptr);
    EXPECT_EQ(treeText(document), "a{c} b{}");
}

TEST(XmlTree, DeepTreesAreDestroyedWithoutExhaustingTheStack) {
    XmlDocument document;
    XmlElement* e = document.addElement("a", false);
    for (int i = 0; i < 300'000; ++i)
        e = e->addChild("b", false);
    document.clear();
    EXPECT_EQ(document.elementCount(), 0);
}
