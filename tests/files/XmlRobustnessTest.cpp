// Bad and extreme input: the reader must answer, never crash, hang or read outside the text, and
// whatever it indexes must be a sound tree over the text.
#include "files/XmlDoc.h"

#include "XmlIndexCheck.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace std::string_literals;

namespace {

TEST(XmlRobustness, DeepNestingIndexesWithoutRecursion)
{
    constexpr std::size_t kDepth = 200000;
    std::string opened;
    for (std::size_t i = 0; i < kDepth; ++i)
        opened += "<e a=\"1\">";
    std::string text = opened;
    for (std::size_t i = 0; i < kDepth; ++i)
        text += "</e>";
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(text)) << doc.GetError();
    EXPECT_EQ(doc.GetIndex().size(), kDepth + 1);
    EXPECT_EQ(XmlIndexFault(doc), "");
    EXPECT_EQ(WalkXmlElements(doc, "a"), kDepth);

    // Unclosed, and closed by the wrong name at the bottom.
    EXPECT_FALSE(doc.SetDocument(opened));
    EXPECT_EQ(doc.GetError(), "Element tag not found");
    EXPECT_FALSE(doc.SetDocument(opened + "</f>"));
    EXPECT_EQ(doc.GetError(), "End tag does not correspond to e");
}

TEST(XmlRobustness, ManySiblings)
{
    constexpr int kCount = 300000;
    std::string text = "<DIR>";
    for (int i = 0; i < kCount; ++i)
        text += "<F name=\"F" + std::to_string(i) + ".M2M\" sz=\"1\" sec=\"0\"/>\r\n";
    text += "</DIR>";
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(text));
    ASSERT_TRUE(doc.FindElement("DIR") && doc.IntoElement());
    int count = 0;
    std::string last;
    for (; doc.FindElement("F"); ++count)
        last = doc.GetAttribute("name");
    EXPECT_EQ(count, kCount);
    EXPECT_EQ(last, "F299999.M2M");
}

struct BadCase {
    const char* name;
    std::string text;
    bool indexed;
};

const BadCase kBadCases[] = {
    {"unterminated quote in a start tag", "<a x=\"1><b/></a>", true},
    {"unterminated quote running to the end", "<a x=\"1>", false},
    {"unterminated quote in an end tag", "<a></a x=\"", false},
    {"unterminated comment inside", "<a><!-- </a>", false},
    {"unterminated quote in a doctype", "<!DOCTYPE a '><a/>", false},
    {"NUL bytes in names", "\0<\0a\0>\0<b\0/>\0</a\0>\0"s, false},
    {"NUL bytes in content and values", "<a x=\"\0\">\0\0<b/>\0</a>"s, true},
    {"invalid UTF-8 bytes", "<a x=\"\xC3\x28\xA0\xA1\xFF\xFE\"><\xE2\x82/></a>", true},
    {"only delimiters", "<<<<>>>>////?\?\?\?!!!!====", false},
    {"end tag matching a name with a bracket", "<a[1]></a>", true},
};

TEST(XmlRobustness, BadInputAnswersWithoutHarm)
{
    for (const BadCase& c : kBadCases) {
        SCOPED_TRACE(c.name);
        CXmlDoc doc;
        EXPECT_EQ(doc.SetDocument(c.text), c.indexed) << doc.GetError();
        EXPECT_EQ(doc.GetError().empty(), c.indexed);
        EXPECT_EQ(doc.GetDocumentText(), c.text);
        EXPECT_EQ(XmlIndexFault(doc), "");
        EXPECT_EQ(WalkXmlElements(doc, "x"), doc.GetIndex().size() - 1);
    }
}

// Random documents over the characters that matter to the reader: whatever comes out must be a
// sound index that the cursor walks completely.
TEST(XmlRobustness, RandomDocumentsGiveSoundIndexes)
{
    static const char kAlphabet[] = "<<<>>>//=\"\"''!?-[]ab a\n\r&#;x\0";
    std::mt19937 random(20241208);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 1);
    std::uniform_int_distribution<int> length(0, 120);
    int indexed = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int i = length(random); i > 0; --i)
            text += kAlphabet[pick(random)];
        CXmlDoc doc;
        indexed += doc.SetDocument(text);
        ASSERT_EQ(XmlIndexFault(doc), "") << ::testing::PrintToString(text);
        ASSERT_EQ(WalkXmlElements(doc, "a"), doc.GetIndex().size() - 1) << ::testing::PrintToString(text);
    }
    EXPECT_GT(indexed, 0);
}

} // namespace
