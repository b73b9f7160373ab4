// The tag scanner and the forgiving parser, including its limits on damaged input.
#include <chrono>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "tests/unit/xml/tree_text.h"
#include "xml/xml.h"
#include "xml/xml_scanner.h"

namespace {

constexpr std::string_view kDecl = "<?xml version=\"1.0\"?>";

// The tree of an accepted text, or "REJECTED".
std::string parse(std::string_view text) {
    XmlDocument document;
    XmlTranslator translator;
    if (!translator.buildStructure(text, document)) {
        EXPECT_EQ(document.elementCount(), 0);
        return "REJECTED";
    }
    return treeText(document);
}

std::string withDecl(std::string_view body) {
    return std::string(kDecl) + std::string(body);
}

int countElements(const XmlDocument& document) {
    std::vector<const XmlElement*> pending;
    for (int i = 0; i < document.elementCount(); ++i)
        pending.push_back(document.elementAt(i));
    int count = 0;
    while (!pending.empty()) {
        const XmlElement* e = pending.back();
        pending.pop_back();
        ++count;
        for (int i = 0; i < e->childCount(); ++i)
            pending.push_back(e->childAt(i));
    }
    return count;
}

int depthOf(const XmlElement* e) {
    int depth = 0;
    while (e) {
        ++depth;
        e = e->childCount() > 0 ? e->childAt(0) : nullptr;
    }
    return depth;
}

} // namespace

TEST(XmlScanner, KindsFollowFirstAndLastCharacter) {
    struct Case {
        std::string_view text;
        XmlTagKind kind;
    };
    const Case cases[] = {
        {"", XmlTagKind::End},
        {"just text", XmlTagKind::End},
        {"text <a", XmlTagKind::Malformed},
        {"<a>", XmlTagKind::StartTag},
        {"<>", XmlTagKind::StartTag},
        {"<a/>", XmlTagKind::SelfClosing},
        {"</>", XmlTagKind::SelfClosing},
        {"</a>", XmlTagKind::EndTag},
        {"<?xml?>", XmlTagKind::Declaration},
        {"<?>", XmlTagKind::Declaration},
        {"<?xml>", XmlTagKind::Malformed},
        {"<!-- x -->", XmlTagKind::Comment},
        {"<!->", XmlTagKind::Comment},
        {"<!DOCTYPE x>", XmlTagKind::Malformed},
        {"<!>", XmlTagKind::Malformed},
        {"<!-- a > b -->", XmlTagKind::Malformed},
        {"<a b=\"x>y\"/>", XmlTagKind::StartTag},
    };
    for (const Case& c : cases)
        EXPECT_EQ(scanXmlTag(c.text, 0).kind, c.kind) << c.text;
}

TEST(XmlParser, DeclarationAndPreCheck) {
    EXPECT_EQ(parse("<?XML version=\"1.0\"?><a/>"), "REJECTED");
    EXPECT_EQ(parse("<a/>"), "REJECTED");
    EXPECT_EQ(parse(""), "REJECTED");
    EXPECT_EQ(parse("<?xml?><a>"), "REJECTED");
    EXPECT_EQ(parse("<?xml?><a><b>text"), "REJECTED");
    EXPECT_EQ(parse("<?xml?><a/"), "REJECTED");
    EXPECT_EQ(parse("<?xml?></a><a>"), "REJECTED");
    EXPECT_EQ(parse("<?xml?><a></a>"), "a");
    EXPECT_EQ(parse("<?xml?></x><a/>"), "a");
    EXPECT_EQ(parse("<?xmlfoo?><a/>"), "a");
    EXPECT_EQ(parse("\xEF\xBB\xBF\r\n<!-- vorab --><?xml version=\"1.0\"?>\r\n<a/>"), "a");
    // The Malformed tag passes the pre-check's first phase and ends the top level.
    EXPECT_EQ(parse(withDecl("<!DOCTYPE x><a/>")), "");
    // A comment before the declaration is passed over, a start tag is not.
    EXPECT_EQ(parse("<b><?xml?><a/>"), "REJECTED");
}

TEST(XmlParser, AttributesFollowTheDialect) {
    EXPECT_EQ(parse(withDecl("<a x y=\"1\" z=2/>")), "a[x y=\"1\" z 2]");
    EXPECT_EQ(parse(withDecl("<a x=''/>")), "a[x '']");
    EXPECT_EQ(parse(withDecl("<a x = \"1\"/>")), "a[x]");
    EXPECT_EQ(parse(withDecl("<a\tx=\"\"\r\ny=\"a b\"/>")), "a[x=\"\" y=\"a b\"]");
    // A double quote ends a value; the rest up to a blank is a name without value.
    EXPECT_EQ(parse(withDecl("<a b=\"x\"y z\"/>")), "a[b=\"x\" y z\"]");
    EXPECT_EQ(parse(withDecl("<a b=\"1\"c=\"2\"/>")), "a[b=\"1\" c=\"2\"]");
    // A declaration at the top level is an element; its closing "?" an attribute.
    EXPECT_EQ(parse(withDecl("<?pi v=\"1\"?><a/>")), "?pi[v=\"1\" ?]{a}");
}

TEST(XmlParser, EndTagsAreNotMatchedAndTextIsDropped) {
    EXPECT_EQ(parse(withDecl("<a><b></x><d/></y></a>")), "a{b d}");
    EXPECT_EQ(parse(withDecl("<a>hello<b/>world</a>")), "a{b}");
    EXPECT_EQ(parse(withDecl("<a></a>")), "a");
    EXPECT_EQ(parse(withDecl("<a><b><c/></b><b/></a><z/>")), "a{b{c} b} z");
}

TEST(XmlParser, CommentInsideAnElementEndsIt) {
    EXPECT_EQ(parse(withDecl("<r><!-- x --><v><t/></v></r>")), "r v{t}");
    // After a start tag, the comment makes the holder fail and read its content again.
    EXPECT_EQ(parse(withDecl("<r><v><!-- x --></v></r>")), "r{v} v");
}

TEST(XmlParser, GreaterThanInsideValues) {
    EXPECT_EQ(parse(withDecl("<r><a b=\"x>y\"></a></r>")), "r{a[b=\"x>y\"]}");
    // The tag is cut at the inner ">", read as a start tag that fails at the "/".
    EXPECT_EQ(parse(withDecl("<r><a b=\"x>y\"/></r>")), "r{a[b=\"x>y\"]}");
    EXPECT_EQ(parse(withDecl("<r><a b=\"x<y\"/></r>")), "r{a[b=\"x<y\"]}");
}

TEST(XmlParser, FailedElementsKeepWhatWasRead) {
    EXPECT_EQ(parse(withDecl("<a/><b x=\"1\" =y>")), "a b[x=\"1\"]");
    EXPECT_EQ(parse(withDecl("<a/>< b/>")), "a ~");
    EXPECT_EQ(parse(withDecl("<a/><c><>")), "a c{~} ~");
    EXPECT_EQ(parse(withDecl("<a/><b>")), "a b");
    // A Malformed tag ends the top level quietly.
    EXPECT_EQ(parse(withDecl("<a/><!x><b/>")), "a");
}

TEST(XmlParser, TextCutOffInsideATagIsReadAgainByEachHolder) {
    const std::string text = withDecl("<q><v><t><d a=\"1\"/><d a=\"2\"/><d a=\"3");
    const std::string d = "d[a=\"1\"] d[a=\"2\"]";
    EXPECT_EQ(parse(text), "q{v{t{" + d + "} " + d + "} t{" + d + "} " + d + "} v{t{" + d + "} " +
                               d + "} t{" + d + "} " + d);
}

TEST(XmlParser, ACutAppointmentFileIsReadWhole) {
    // Three open levels: each date is read eight times, within the parser's work bound.
    constexpr int dates = 2000;
    std::string text = withDecl("\r\n<quarvwecker>\r\n<version1>\r\n<termine>\r\n");
    for (int i = 0; i < dates; ++i)
        text += "<date text=\"x\" zeit=\"2612071530\" />\r\n";
    text += "<date text=\"abgeschn";
    XmlDocument document;
    ASSERT_TRUE(XmlTranslator().buildStructure(text, document));
    EXPECT_EQ(countElements(document), 7 + 8 * dates);
    EXPECT_EQ(document.elementAt(0)->childAt(0)->childAt(0)->childCount(), dates);
}

TEST(XmlParser, EntitiesAreDecodedInValuesOnly) {
    EXPECT_EQ(parse(withDecl("<a b=\"&quot;&lt;&gt;&amp;\"/>")), "a[b=\"\"<>&\"]");
    EXPECT_EQ(parse(withDecl("<a b=\"&amp;quot; & &foo; &lt &#34;\"/>")),
              "a[b=\"&quot; & &foo; &lt &#34;\"]");
    EXPECT_EQ(parse(withDecl("<a&lt; b&gt;=\"&gt\"/>")), "a&lt;[b&gt;=\"&gt\"]");
}

TEST(XmlParser, TextEndsAtItsLengthOrFirstZeroByte) {
    const std::string text = withDecl("<a/>") + std::string(1, '\0') + "<b/>";
    EXPECT_EQ(parse(text), "a");
    EXPECT_EQ(parse(std::string(1, '\0') + text), "REJECTED");

    // Every prefix of a file, in a buffer of exactly its size: nothing is read past it.
    const std::string file = withDecl("<r x=\"1\" y><s a=\"b>c\"/><!-- c --><t></t></r>\r\n");
    for (std::size_t n = 0; n <= file.size(); ++n) {
        auto buffer = std::make_unique<char[]>(n);
        std::copy_n(file.data(), n, buffer.get());
        parse(std::string_view(buffer.get(), n));
    }
}

TEST(XmlParser, MissingTextLeavesTheDocumentAlone) {
    XmlDocument document;
    document.addElement("keep", true);
    std::vector<std::string> lines;
    XmlTranslator translator(7, [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_FALSE(translator.buildStructure(std::string_view(), document));
    EXPECT_EQ(document.elementCount(), 1);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "7 start building xml structure",
                         "7 tried to start xml translator without delivering a document"}));
}

TEST(XmlParser, TraceLinesNameTranslatorAndDocument) {
    std::vector<std::string> lines;
    XmlTranslator translator(7, [&](std::string_view line) { lines.emplace_back(line); });
    XmlDocument accepted(42);
    EXPECT_TRUE(translator.buildStructure(withDecl("<a/><b/>"), accepted));
    XmlDocument rejected(42);
    rejected.addElement("gone", true);
    EXPECT_FALSE(translator.buildStructure("<a/>", rejected));
    EXPECT_EQ(rejected.elementCount(), 0);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "7 start building xml structure",
                         "42 processed xml document. Found 2 first level elements",
                         "7 ready building xml structure",
                         "7 start building xml structure",
                         "42 xml parser received a host message which is not a valid xml file",
                         "7 ready building xml structure",
                     }));
}

TEST(XmlParser, NestingIsBoundedAt500Levels) {
    auto nested = [](int levels) {
        std::string text = withDecl("");
        for (int i = 0; i < levels; ++i)
            text += "<e>";
        text += "<e/>";
        for (int i = 0; i < levels; ++i)
            text += "</e>";
        return text;
    };
    XmlTranslator translator;
    XmlDocument within;
    ASSERT_TRUE(translator.buildStructure(nested(499), within));
    EXPECT_EQ(within.elementCount(), 1);
    EXPECT_EQ(depthOf(within.elementAt(0)), 500);

    XmlDocument beyond;
    ASSERT_TRUE(translator.buildStructure(nested(600), beyond));
    for (int i = 0; i < beyond.elementCount(); ++i)
        EXPECT_LE(depthOf(beyond.elementAt(i)), 500);
}

TEST(XmlParser, ManyNestedUnclosedStartTagsEndInBoundedTime) {
    std::string text = withDecl("<a/>");
    for (int i = 0; i < 200'000; ++i)
        text += "<b>";
    XmlDocument document;
    XmlTranslator translator;
    ASSERT_TRUE(translator.buildStructure(text, document));
    EXPECT_EQ(document.elementAt(0)->name(), "a");
    EXPECT_LE(document.elementCount(), static_cast<int>(text.size()));
}

TEST(XmlParser, UnclosedLevelsDoNotMultiplyTheWorkWithoutBound) {
    // Each unclosed level doubles the re-reading: 40 levels would be 2^40 elements.
    std::string text = withDecl("<a/>");
    for (int i = 0; i < 40; ++i)
        text += "<b x=\"1\">";
    text += std::string(100'000, ' ') + "<c/>";
    XmlDocument document;
    XmlTranslator translator;
    ASSERT_TRUE(translator.buildStructure(text, document));
    EXPECT_GE(document.elementCount(), 2);
}

TEST(XmlParser, SubtreesPastTheDepthBoundAreSkippedInTheirPlace) {
    // 600 levels, the deepest with attributes and a self-closing child, then a sibling
    // at the second level and a second top-level element.
    std::string text = withDecl("<r>");
    for (int i = 0; i < 600; ++i)
        text += "<x a=\"1\">";
    text += "<y b=\"2\"/>";
    for (int i = 0; i < 600; ++i)
        text += "</x>";
    text += "<d/></r><z/>";
    XmlDocument document;
    ASSERT_TRUE(XmlTranslator().buildStructure(text, document));
    ASSERT_EQ(document.elementCount(), 2);
    const XmlElement* r = document.elementAt(0);
    EXPECT_EQ(document.elementAt(1)->name(), "z");
    ASSERT_EQ(r->childCount(), 2);
    EXPECT_EQ(r->childAt(1)->name(), "d");
    EXPECT_EQ(r->childAt(1)->parent(), r);
    EXPECT_EQ(depthOf(r), 500);
    EXPECT_EQ(countElements(document), 502);
}

TEST(XmlParser, CopiesOfAFailedElementKeepTheirOwnAttributes) {
    // The cut makes "t" fail: its holder reads the date a second time.
    XmlDocument document;
    ASSERT_TRUE(XmlTranslator().buildStructure(withDecl("<v><t><d a=\"1\"/><x"), document));
    XmlElement* first = document.elementAt(0)->childAt(0)->childAt(0);
    XmlElement* copy = document.elementAt(0)->childAt(1);
    ASSERT_EQ(treeText(*first), "d[a=\"1\"]");
    ASSERT_EQ(treeText(*copy), "d[a=\"1\"]");
    copy->addAttribute("b", "2");
    first->addAttribute("c", std::nullopt);
    EXPECT_EQ(treeText(*first), "d[a=\"1\" c]");
    EXPECT_EQ(treeText(*copy), "d[a=\"1\" b=\"2\"]");
}

namespace {

// A text of about `bytes`: the head, then the piece over and over, then the tail.
std::string repeated(std::string head, std::string_view piece, std::string_view tail,
                     std::size_t bytes) {
    while (head.size() < bytes)
        head += piece;
    return head + std::string(tail);
}

} // namespace

TEST(XmlParser, NoTextMakesATreeLargerThanItsLimit) {
    constexpr std::size_t bytes = 3 << 20;
    const std::string appointments = withDecl("<quarvwecker><version1><termine>");
    const std::string date = "<date text=\"Zahnarzt Dr. M\xFCller\" zeit=\"2612071530\" />\r\n";
    const std::size_t limit =
        XmlTranslator::MEMORY_PER_BYTE * bytes + XmlTranslator::MEMORY_ALLOWANCE;
    struct Case {
        std::string text;
        bool accepted;
    };
    const Case cases[] = {
        {repeated(appointments, date, "</termine></version1></quarvwecker>", bytes), true},
        // Cut off: every date is read eight times, and still fits.
        {repeated(appointments, date, "<date text=\"ab", bytes), true},
        {repeated(withDecl(""), "<a/>", "", bytes), false},
        {repeated(withDecl("<a/>"), "<>", "", bytes), false},
        {repeated(withDecl(""), "<a b=\"\"/>", "", bytes), false},
        {repeated(withDecl("<a"), " b", "/>", bytes), false},
    };
    for (const Case& c : cases) {
        XmlDocument document;
        EXPECT_EQ(XmlTranslator().buildStructure(c.text, document), c.accepted)
            << c.text.substr(0, 80);
        EXPECT_LE(document.storageBytes(), limit) << c.text.substr(0, 80);
        if (!c.accepted) {
            EXPECT_EQ(document.elementCount(), 0);
        }
    }
    // An appointment file's tree takes less than twice the file.
    XmlDocument file;
    ASSERT_TRUE(XmlTranslator().buildStructure(cases[0].text, file));
    EXPECT_LT(file.storageBytes(), 2 * cases[0].text.size());
}
