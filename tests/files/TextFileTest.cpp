#include "files/TextFile.h"
#include "files/XmlDoc.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::string single;
};

const Utf8Case kUtf8Cases[] = {
    {"ASCII", "<CFG ds=\"x\"/>\r\n", "<CFG ds=\"x\"/>\r\n"},
    {"two bytes to Latin-1", "caf\xC3\xA9 \xC2\xA0\xC3\xBF", "caf\xE9 \xA0\xFF"},
    {"U+0080 is the lowest two-byte code", "\xC2\x80", "\x80"},
    {"two bytes above 0xFF", "\xC4\x80\xDF\xBF", "??"},
    {"three bytes", "\xE2\x82\xAC" "5", "?5"},
    {"four bytes", "\xF0\x9F\x98\x80!", "?!"},
    {"byte-order mark", "\xEF\xBB\xBF<a/>", "?<a/>"},
    {"overlong form of <", "\xC0\xBC" "a", "?a"},
    {"lead byte at the end", "ab\xC3", "ab\xC3"},
    {"lead byte before ASCII", "\xC3(", "\xC3("},
    {"truncated three-byte sequence", "\xE2\x82", "\xE2\x82"},
    {"three-byte lead with one bad continuation", "\xE2\x82(", "\xE2\x82("},
    {"stray continuation bytes", "\x80\xBF", "\x80\xBF"},
    {"bytes that open nothing", "\xF8\xFE\xFF", "\xF8\xFE\xFF"},
    {"NUL kept", "a\0b"s, "a\0b"s},
    {"Latin-1 text left alone", "Caf\xE9 ouvert", "Caf\xE9 ouvert"},
};

TEST(TextFile, Utf8ToSingleByte)
{
    for (const Utf8Case& c : kUtf8Cases)
        EXPECT_EQ(Utf8ToSingleByte(c.utf8), c.single) << c.name;
}

TEST(TextFile, LoadDocumentConvertsAndIndexes)
{
    ScratchDir dir;
    const auto path = dir.Write("STATUS.XML", "\xEF\xBB\xBF<STATUS ds=\"Caf\xC3\xA9 \xE2\x84\xA2\"/>");
    CXmlDoc doc;
    ASSERT_TRUE(doc.LoadDocument(path)) << doc.GetError();
    EXPECT_EQ(doc.GetDocumentText(), "?<STATUS ds=\"Caf\xE9 ?\"/>");
    ASSERT_TRUE(doc.FindElement("STATUS"));
    EXPECT_EQ(doc.GetAttribute("ds"), "Caf\xE9 ?");
}

TEST(TextFile, LoadDocumentOfAMissingFileKeepsTheDocument)
{
    ScratchDir dir;
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument("<kept/>"));
    ASSERT_TRUE(doc.FindElement(nullptr));
    EXPECT_FALSE(doc.LoadDocument(dir.Path() / "missing.xml"));
    EXPECT_EQ(doc.GetDocumentText(), "<kept/>");
    EXPECT_EQ(doc.GetTagName(), "kept");
}

} // namespace
