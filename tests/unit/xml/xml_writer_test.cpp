// The XML writer's exact bytes, its escaping, and the round trip through the parser.
#include <random>

#include <gtest/gtest.h>

#include "tests/unit/xml/tree_text.h"
#include "xml/xml.h"

namespace {

constexpr std::string_view kDeclLine = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

// The appointment file's tree, as the store builds it.
XmlDocument appointmentTree(const std::vector<std::pair<std::string, std::string>>& dates) {
    XmlDocument document(42);
    XmlElement* termine = document.addElement("quarvwecker", false)
                              ->addChild("version1", false)
                              ->addChild("termine", false);
    for (const auto& [text, zeit] : dates) {
        XmlElement* date = termine->addChild("date", true);
        date->addAttribute("text", text);
        date->addAttribute("zeit", zeit);
    }
    return document;
}

void expectRoundTrip(const XmlDocument& document) {
    XmlTranslator translator;
    const std::string written = translator.buildDocument(document);
    XmlDocument read;
    ASSERT_TRUE(translator.buildStructure(written, read)) << written;
    EXPECT_EQ(treeText(read), treeText(document)) << written;
    EXPECT_EQ(translator.buildDocument(read), written);
}

} // namespace

TEST(XmlWriter, EmptyDocumentIsTheDeclarationLine) {
    XmlDocument document;
    const std::string text = XmlTranslator().buildDocument(document);
    EXPECT_EQ(text, kDeclLine);
    EXPECT_EQ(text.size(), 45u);
}

TEST(XmlWriter, OneLinePerTag) {
    XmlDocument document;
    XmlElement* a = document.addElement("a", false);
    a->addAttribute("x", "1");
    a->addAttribute("y", std::nullopt);
    a->addChild("b", true)->addAttribute("z", "2");
    a->addChild("d", false);
    document.addElement("e", true)->addAttribute("text", "");
    EXPECT_EQ(XmlTranslator().buildDocument(document),
              std::string(kDeclLine) +
                  "<a x=\"1\" y>\r\n<b z=\"2\" />\r\n<d>\r\n</d>\r\n</a>\r\n<e text=\"\" />\r\n");
}

TEST(XmlWriter, AppointmentFileBytes) {
    const std::string empty = XmlTranslator().buildDocument(appointmentTree({}));
    EXPECT_EQ(empty.size(), 124u);
    EXPECT_EQ(empty, std::string(kDeclLine) + "<quarvwecker>\r\n<version1>\r\n<termine>\r\n"
                                              "</termine>\r\n</version1>\r\n</quarvwecker>\r\n");

    const std::string two = XmlTranslator().buildDocument(
        appointmentTree({{"Zahnarzt", "2612071530"}, {"Geburtstag Oma", "2612240900"}}));
    EXPECT_EQ(two, std::string(kDeclLine) +
                       "<quarvwecker>\r\n<version1>\r\n<termine>\r\n"
                       "<date text=\"Zahnarzt\" zeit=\"2612071530\" />\r\n"
                       "<date text=\"Geburtstag Oma\" zeit=\"2612240900\" />\r\n"
                       "</termine>\r\n</version1>\r\n</quarvwecker>\r\n");
    EXPECT_EQ(two.size(), 124u + 36 + 8 + 36 + 14);

    // Windows-1252 bytes and a raw "&" go out as they are.
    const std::string text = "Müller & Söhne";
    const std::string one = XmlTranslator().buildDocument(appointmentTree({{text, "2612071530"}}));
    EXPECT_EQ(one.size(), 124u + 36 + text.size());
    EXPECT_NE(one.find("text=\"M\xFCller & S\xF6hne\""), std::string::npos);
}

TEST(XmlWriter, EscapesWhatCouldNotReadBack) {
    XmlDocument document;
    XmlElement* a = document.addElement("a", true);
    a->addAttribute("q", "say \"hi\"");
    a->addAttribute("t", "<b>");
    a->addAttribute("amp", "&amp; &lt; &gt; &quot; &quot &x; &");
    a->addAttribute("n\"<&lt;", std::nullopt);
    EXPECT_EQ(XmlTranslator().buildDocument(document),
              std::string(kDeclLine) +
                  "<a q=\"say &quot;hi&quot;\" t=\"&lt;b&gt;\" "
                  "amp=\"&amp;amp; &amp;lt; &amp;gt; &amp;quot; &quot &x; &\" n\"<&lt; />\r\n");
    expectRoundTrip(document);
}

TEST(XmlWriter, DeepTreesAreWrittenWithoutExhaustingTheStack) {
    XmlDocument document;
    XmlElement* e = document.addElement("a", false);
    for (int i = 0; i < 300'000; ++i)
        e = e->addChild("b", false);
    const std::string text = XmlTranslator().buildDocument(document);
    EXPECT_EQ(text.size(), kDeclLine.size() + 300'001 * 11u);
    EXPECT_TRUE(text.ends_with("</b>\r\n</a>\r\n"));
}

// Random trees of every shape the writer is given: names without the characters
// that end a name, values of any byte but zero. Elements are non-empty exactly when
// they have children, since a childless element reads back in the short form.
TEST(XmlWriter, RandomTreesReadBackAndWriteTheSameBytes) {
    std::mt19937 random(20261207);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::string nameChars = "abcdeäöüßXYZ019_-.:;\"'<&?!";
    auto name = [&](bool element) {
        std::string s;
        do {
            s += nameChars[static_cast<std::size_t>(pick(static_cast<int>(nameChars.size())))];
        } while (pick(3) != 0);
        if (element && (s[0] == '?' || s[0] == '!'))
            s[0] = 'x';
        return s;
    };
    auto value = [&] {
        std::string s(static_cast<std::size_t>(pick(12)), ' ');
        for (char& c : s)
            c = static_cast<char>(1 + pick(255));
        if (pick(4) == 0)
            s += std::vector<std::string>{"&amp;", "&lt;", "&gt;", "&quot;", "&"}[pick(5)];
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        XmlDocument document;
        std::vector<XmlElement*> all;
        const int count = 1 + pick(30);
        for (int i = 0; i < count; ++i) {
            XmlElement* e =
                all.empty() || pick(4) == 0
                    ? document.addElement(name(true), true)
                    : all[static_cast<std::size_t>(pick(static_cast<int>(all.size())))]->addChild(
                          name(true), true);
            for (int k = pick(4); k > 0; --k) {
                if (pick(3) == 0)
                    e->addAttribute(name(false), std::nullopt);
                else
                    e->addAttribute(name(false), value());
            }
            all.push_back(e);
        }
        expectRoundTrip(document);
    }
}

// Enough names and values to fill many pages and pool chunks, some values longer than a
// chunk, written, read and written again to the same bytes.
TEST(XmlWriter, LargeTreesReadBackWhole) {
    std::vector<std::pair<std::string, std::string>> dates;
    for (int i = 0; i < 20'000; ++i) {
        const std::size_t length = i % 997 == 0 ? 70'000 + static_cast<std::size_t>(i) : i % 50;
        dates.emplace_back(std::string(length, static_cast<char>('a' + i % 26)),
                           std::to_string(2612071530LL + i));
    }
    const XmlDocument document = appointmentTree(dates);
    const XmlElement* termine = document.elementAt(0)->childAt(0)->childAt(0);
    ASSERT_EQ(termine->childCount(), 20'000);
    EXPECT_EQ(termine->childAt(19'999)->attribute("zeit"), "2612091529");
    EXPECT_EQ(termine->childAt(997)->attribute("text")->size(), 70'997u);
    expectRoundTrip(document);
}
