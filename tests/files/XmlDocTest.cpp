#include "files/XmlDoc.h"

#include <gtest/gtest.h>


#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

// ---- Indexing errors -------------------------------------------------------------------------

struct ErrorCase {
    const char* name;
    std::string text;
    const char* error;
};

const ErrorCase kErrorCases[] = {
    {"empty text", "", ""},
    {"whitespace only", " \r\n\t", "Element tag not found"},
    {"text ends inside an element", "<a>text", "Element tag not found"},
    {"text ends after a child", "<a><b/><c>", "Element tag not found"},
    {"start tag without >", "<a", "End of tag not found"},
    {"start tag with attributes without >", "<a x=\"1\"", "End of tag not found"},
    {"quoted tag name", "<\"a\">x</a>", "Tag starts with quote"},
    {"single-quoted tag name", "< 'a'/>", "Tag starts with quote"},
    {"nothing after <", "<a><", "Abrupt end within tag"},
    {"only whitespace after <", "<a>< \t\r\n", "Abrupt end within tag"},
    {"unterminated declaration", "<?xml version=\"1.0\"", "Invalid node"},
    {"declaration closed by its own ?", "<?>", "Invalid node"},
    {"unterminated comment", "<!-- no end -- >", "Invalid node"},
    {"comment closed too early", "<!-->", "Invalid node"},
    {"unterminated CDATA", "<a><![CDATA[ x ]]</a>", "Invalid node"},
    {"unterminated doctype", "<!DOCTYPE a", "Invalid node"},
    {"doctype > inside brackets only", "<!DOCTYPE a [ <!ELEMENT a ANY> ", "Invalid node"},
    {"doctype > inside quotes only", "<!DOCTYPE a SYSTEM \"x>", "Invalid node"},
    {"end tag of another element", "<a><b></a>", "End tag does not correspond to b"},
    {"end tag longer than the name", "<a></ab>", "End tag does not correspond to a"},
    {"end tag shorter than the name", "<ab></a>", "End tag does not correspond to ab"},
    {"end tag in other case", "<CFG></cfg>", "End tag does not correspond to CFG"},
    {"quoted end tag name", "<a></\"a\">", "End tag does not correspond to a"},
    {"end tag without a name", "<a></>", "End tag does not correspond to a"},
    {"text ends after </", "<a></", "End tag not completed for element a"},
    {"text ends after the end tag name", "<a><b></b", "End tag not completed for element b"},
    {"quoted > in an end tag", "<a></a \">\"", "End tag not completed for element a"},
    {"end tag before any element", "<?xml version=\"1.0\"?></a><a/>", "End tag found before the root element"},
    {"empty tag", "<>", "Element name not found"},
    {"tag named by equals", "<a><=b/></a>", "Element name not found"},
    {"tag named by less-than", "<<a/>", "Element name not found"},
};

TEST(XmlDoc, ErrorsGiveTheirTextAndKeepTheText)
{
    for (const ErrorCase& c : kErrorCases) {
        SCOPED_TRACE(c.name);
        CXmlDoc doc;
        EXPECT_FALSE(doc.SetDocument(c.text));
        EXPECT_EQ(doc.GetError(), c.error);
        EXPECT_EQ(doc.GetDocumentText(), c.text);
        ASSERT_EQ(doc.GetIndex().size(), 1u);
        EXPECT_EQ(doc.GetIndex()[0].iFirstChild, 0);
        EXPECT_FALSE(doc.FindElement(nullptr));
        EXPECT_FALSE(doc.FindChildElement(nullptr));
        EXPECT_FALSE(doc.IntoElement());
        EXPECT_EQ(doc.GetTagName(), "");
        EXPECT_EQ(doc.GetAttribute("x"), "");
    }
}

TEST(XmlDoc, FailureAfterSuccessDropsTheOldIndexAndPosition)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument("<a x=\"1\"><b/></a>"));
    ASSERT_TRUE(doc.FindElement("a"));
    EXPECT_FALSE(doc.SetDocument("<a><b></a>"));
    EXPECT_EQ(doc.GetCurrentIndex(), 0);
    EXPECT_EQ(doc.GetAttribute("x"), "");
    EXPECT_FALSE(doc.FindElement(nullptr));
    // A later success clears the error text.
    EXPECT_TRUE(doc.SetDocument("<c/>"));
    EXPECT_EQ(doc.GetError(), "");
}

TEST(XmlDoc, NullTextAndConstructionAreEmptyDocuments)
{
    CXmlDoc doc;
    EXPECT_EQ(doc.GetDocumentText(), "");
    EXPECT_FALSE(doc.FindElement(nullptr));
    ASSERT_TRUE(doc.SetDocument("<a/>"));
    EXPECT_FALSE(doc.SetDocument(nullptr));
    EXPECT_EQ(doc.GetDocumentText(), "");
}

// ---- What comes before, between and inside elements ------------------------------------------

struct PreambleCase {
    const char* name;
    std::string text;
    const char* root;
};

const PreambleCase kPreambleCases[] = {
    {"declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<CFG/>", "CFG"},
    {"comment", "<!-- saved by the controller -->\n<STATUS/>", "STATUS"},
    {"comment with tags inside", "<!-- <a> </b> -- > -->\n<DIR></DIR>", "DIR"},
    {"doctype", "<!DOCTYPE CFG SYSTEM \"cfg.dtd\">\n<CFG/>", "CFG"},
    {"doctype with subset", "<!DOCTYPE CFG [ <!ELEMENT CFG ANY> <!ATTLIST CFG x CDATA \"a>b\"> [ ] ]><CFG/>", "CFG"},
    {"everything in a row", "<?xml version=\"1.0\"?><!DOCTYPE a><!--c--><?pi x?>  <a/>", "a"},
    {"whitespace inside the tag", "< a\n/>", "a"},
    {"text before the root", "garbage > here <a/>", "a"},
};

TEST(XmlDoc, TheFirstElementIsTheRoot)
{
    for (const PreambleCase& c : kPreambleCases) {
        CXmlDoc doc;
        ASSERT_TRUE(doc.SetDocument(c.text)) << c.name << ": " << doc.GetError();
        ASSERT_TRUE(doc.FindElement(nullptr)) << c.name;
        EXPECT_EQ(doc.GetTagName(), c.root) << c.name;
        EXPECT_FALSE(doc.FindElement(nullptr)) << c.name;
    }
}

TEST(XmlDoc, NodesBetweenAndInsideElementsAreSkipped)
{
    CXmlDoc doc;
    // The comment between the last child and the end tag must not be taken for the end tag.
    ASSERT_TRUE(doc.SetDocument("<a><!-- 1 --><b/><?pi ?><![CDATA[<c>]]><d></d><!-- <e/> --></a>")) << doc.GetError();
    ASSERT_TRUE(doc.FindElement("a"));
    ASSERT_TRUE(doc.IntoElement());
    std::vector<std::string> names;
    while (doc.FindElement(nullptr))
        names.push_back(doc.GetTagName());
    EXPECT_EQ(names, (std::vector<std::string>{"b", "d"}));
}

TEST(XmlDoc, OnlyTheFirstElementIsIndexedAndTheRestIsKept)
{
    const std::string text = "<a/><b/> trailing <unclosed";
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(text));
    EXPECT_EQ(doc.GetDocumentText(), text);
    EXPECT_EQ(doc.GetIndex().size(), 2u);
    ASSERT_TRUE(doc.FindElement(nullptr));
    EXPECT_FALSE(doc.FindElement(nullptr));
}

TEST(XmlDoc, Utf8FlagConvertsBeforeIndexing)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument("<a v=\"caf\xC3\xA9 \xE2\x82\xAC\"/>", true));
    EXPECT_EQ(doc.GetDocumentText(), "<a v=\"caf\xE9 ?\"/>");
}

// ---- The element index -----------------------------------------------------------------------

TEST(XmlDoc, RecordsHoldTheOffsetsAndLinks)
{
    //                        0         1         2
    //                        01234567890123456789012345
    const std::string text = "<r><e/><f x='1'>t</f ></r>";
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(text));
    const auto& index = doc.GetIndex();
    ASSERT_EQ(index.size(), 4u);
    auto fields = [](const ElementRecord& r) {
        return std::vector<int>{r.nStartTagStart, r.nStartTagEnd, r.nEndTagStart, r.nEndTagEnd,
                                r.nReserved,      r.iParent,      r.iFirstChild,  r.iNextSibling};
    };
    EXPECT_EQ(fields(index[0]), (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(fields(index[1]), (std::vector<int>{0, 2, 22, 25, 0, 0, 2, 0}));  // r
    EXPECT_EQ(fields(index[2]), (std::vector<int>{3, 6, 5, 6, 0, 1, 0, 3}));    // e, empty
    EXPECT_EQ(fields(index[3]), (std::vector<int>{7, 15, 17, 21, 0, 1, 0, 0})); // f
    EXPECT_FALSE(index[1].IsEmptyElement());
    EXPECT_TRUE(index[2].IsEmptyElement());
    EXPECT_FALSE(index[3].IsEmptyElement());
}

// ---- Names -------------------------------------------------------------------------------------

struct NameCase {
    const char* name;
    const char* token;
    bool matches;
};

const NameCase kNameCases[] = {
    {"PORT", "PORT", true},
    {"PORT", "port", false},
    {"port", "PORT", false},
    {"PORT", "PORTS", false},
    {"PORTS", "PORT", false},
    {"PORT", "POR", false},
    {"PORT x", "PORT", true},
    {"PORT=x", "PORT", true},
    {"PORT/", "PORT", true},
    {"PORT[1]", "PORT", true},
    {"PORT.x", "PORT", false},
    {"", "", false},
    {"a", "", false},
};

TEST(XmlDoc, NameComparison)
{
    for (const NameCase& c : kNameCases)
        EXPECT_EQ(XmlNameMatches(c.name, c.token), c.matches) << c.name << " / " << c.token;
}

// ---- Finding -----------------------------------------------------------------------------------

const char kPorts[] =
    "<CFG>"
    "<PORT n=\"1\"/><PORTS n=\"x\"/><port n=\"y\"/><PORT n=\"2\"/><ADDR/><PORT n=\"3\"><PORT n=\"inner\"/></PORT>"
    "</CFG>";

TEST(XmlDoc, FindElementVisitsEveryMatchInOrderThenFails)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(kPorts));
    ASSERT_TRUE(doc.FindElement("CFG"));
    ASSERT_TRUE(doc.IntoElement());
    std::vector<std::string> seen;
    while (doc.FindElement("PORT"))
        seen.push_back(doc.GetAttribute("n"));
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3"}));
    // No wrap-around: the level is exhausted until the position is reset.
    EXPECT_FALSE(doc.FindElement("PORT"));
    EXPECT_FALSE(doc.FindElement(nullptr));
    EXPECT_EQ(doc.GetAttribute("n"), "3"); // a failed find leaves the current element
}

TEST(XmlDoc, NamesAreCaseSensitiveAndWhole)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(kPorts));
    ASSERT_TRUE(doc.FindElement(nullptr));
    ASSERT_TRUE(doc.IntoElement());
    ASSERT_TRUE(doc.FindElement("port"));
    EXPECT_EQ(doc.GetAttribute("n"), "y");
    doc.ResetPosition();
    EXPECT_FALSE(doc.FindElement("cfg"));
    EXPECT_FALSE(doc.FindElement("CF"));
    EXPECT_TRUE(doc.FindElement("CFG"));
}

TEST(XmlDoc, FindingStartsAfterTheCurrentElement)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(kPorts));
    ASSERT_TRUE(doc.FindElement(nullptr));
    ASSERT_TRUE(doc.IntoElement());
    ASSERT_TRUE(doc.FindElement("ADDR"));
    ASSERT_TRUE(doc.FindElement("PORT"));
    EXPECT_EQ(doc.GetAttribute("n"), "3");
    // A name passed over is not found again.
    EXPECT_FALSE(doc.FindElement("PORTS"));
}

TEST(XmlDoc, IntoAndOutOfElements)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(kPorts));
    EXPECT_FALSE(doc.IntoElement()); // no current element
    EXPECT_FALSE(doc.OutOfElement()); // already at the top
    ASSERT_TRUE(doc.FindElement(nullptr));
    ASSERT_TRUE(doc.IntoElement());
    ASSERT_TRUE(doc.FindElement("ADDR"));
    ASSERT_TRUE(doc.FindElement("PORT"));
    ASSERT_TRUE(doc.IntoElement());
    ASSERT_TRUE(doc.FindElement(nullptr));
    EXPECT_EQ(doc.GetAttribute("n"), "inner");
    EXPECT_FALSE(doc.FindElement(nullptr));
    ASSERT_TRUE(doc.OutOfElement());
    EXPECT_EQ(doc.GetAttribute("n"), "3");
    ASSERT_TRUE(doc.OutOfElement());
    EXPECT_EQ(doc.GetTagName(), "CFG");
    EXPECT_FALSE(doc.OutOfElement());
    // Out of an element remembers it as the child, so Into goes back to it.
    ASSERT_TRUE(doc.IntoElement());
    EXPECT_EQ(doc.GetAttribute("n"), "3");
    // Into an element without a current child leaves no current element at the new level.
    doc.ResetPosition();
    ASSERT_TRUE(doc.FindElement(nullptr));
    ASSERT_TRUE(doc.IntoElement());
    EXPECT_EQ(doc.GetTagName(), "");
    EXPECT_EQ(doc.GetAttribute("n"), "");
    EXPECT_FALSE(doc.IntoElement());
}

TEST(XmlDoc, FindChildElementWalksTheChildrenOfTheCurrentElement)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(kPorts));
    // With no current element it first finds one at the top level.
    ASSERT_TRUE(doc.FindChildElement("PORT"));
    EXPECT_EQ(doc.GetTagName(), "CFG");
    std::vector<std::string> seen;
    do {
        ASSERT_TRUE(doc.IntoElement());
        seen.push_back(doc.GetAttribute("n"));
        ASSERT_TRUE(doc.OutOfElement());
    } while (doc.FindChildElement("PORT"));
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_FALSE(doc.FindChildElement(nullptr));
    EXPECT_EQ(doc.GetTagName(), "CFG"); // the current element stays
}

TEST(XmlDoc, ResetPositionStartsASecondPass)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(kPorts));
    for (int pass = 0; pass < 2; ++pass) {
        doc.ResetPosition();
        ASSERT_TRUE(doc.FindElement(nullptr));
        ASSERT_TRUE(doc.IntoElement());
        int ports = 0;
        while (doc.FindElement("PORT"))
            ++ports;
        EXPECT_EQ(ports, 3) << pass;
    }
}

// ---- Attributes --------------------------------------------------------------------------------

struct AttributeCase {
    const char* name;
    std::string element; // the root element, written whole
    const char* attribute;
    std::string value;
};

const AttributeCase kAttributeCases[] = {
    {"double quotes", "<ADDR ip=\"10.0.0.1\"/>", "ip", "10.0.0.1"},
    {"single quotes", "<ADDR ip='10.0.0.1'/>", "ip", "10.0.0.1"},
    {"unquoted value", "<ADDR ip=10.0.0.1/>", "ip", ""},
    {"missing", "<ADDR msk=\"255.0.0.0\"/>", "ip", ""},
    {"empty value", "<ADDR sw=\"\" ip=\"1\"/>", "sw", ""},
    {"spaces around =", "<ADDR ip \t=\r\n \"1\"/>", "ip", "1"},
    {"the other quote inside", "<a t=\"it's\" u='say \"hi\"'/>", "t", "it's"},
    {"double quotes inside single", "<a t=\"it's\" u='say \"hi\"'/>", "u", "say \"hi\""},
    {"prefix of another name", "<a ipx=\"1\" ip=\"2\"/>", "ip", "2"},
    {"longer name asked", "<a ip=\"1\"/>", "ipx", ""},
    {"shorter name asked", "<a ip=\"1\"/>", "i", ""},
    {"case-sensitive", "<a IP=\"1\"/>", "ip", ""},
    {"valueless attribute before", "<a checked ip=\"7\"/>", "ip", "7"},
    {"valueless attribute asked", "<a checked ip=\"7\"/>", "checked", ""},
    {"first of two", "<a x=\"1\" x=\"2\"/>", "x", "1"},
    {"value looks like a name", "<a y=\"x\" x=\"2\"/>", "x", "2"},
    {"slash and question mark in a value", "<a url=\"http://h/p?q=1\"/>", "url", "http://h/p?q=1"},
    {"tag name is not an attribute", "<ip ip2=\"1\"/>", "ip", ""},
    {"slash ends the search", "<a / x=\"1\"></a>", "x", ""},
    {"question mark ends the search", "<a ? x=\"1\"></a>", "x", ""},
    {"with children", "<a x=\"1\"><b x=\"2\"/></a>", "x", "1"},
    {"gt in a value stays in the value", "<a x=\"1>2\"></a>", "x", "1>2"},
    {"value with line breaks", "<a x=\"1\n2\"/>", "x", "1\n2"},
    {"NUL inside a value", "<a x=\"1\0" "2\"/>"s, "x", "1\0" "2"s},
    {"entities decoded", "<a x=\"&lt;&amp;&gt;&apos;&quot;\"/>", "x", "<&>'\""},
    {"character references", "<a x=\"&#65;&#x41;&#X41;&eacute;\"/>", "x", "AA&#X41;&eacute;"},
};

TEST(XmlDoc, AttributesReadFromTheStartTag)
{
    for (const AttributeCase& c : kAttributeCases) {
        SCOPED_TRACE(c.name);
        CXmlDoc doc;
        ASSERT_TRUE(doc.SetDocument(c.element)) << doc.GetError();
        EXPECT_EQ(doc.GetAttribute(c.attribute), "") << "no current element yet";
        ASSERT_TRUE(doc.FindElement(nullptr));
        EXPECT_EQ(doc.GetAttribute(c.attribute), c.value);
    }
}

struct DecodeCase {
    const char* value;
    const char* decoded;
};

const DecodeCase kDecodeCases[] = {
    {"&lt;&amp;&gt;&apos;&quot;", "<&>'\""},
    {"&#65;", "A"},
    {"&#x41;", "A"},
    {"&#x4a;&#x4A;", "JJ"},
    {"&#X41;", "&#X41;"},
    {"&LT;", "&LT;"},
    {"&nbsp;", "&nbsp;"},
    {"&amp", "&amp"},
    {"a & b", "a & b"},
    {"&", "&"},
    {"&#;", "&#;"},
    {"&#x;", "&#x;"},
    {"&#6a;", "&#6a;"},
    {"&#00065;", "A"},       // ';' is the 7th character after '&'
    {"&#000065;", "&#000065;"}, // ';' is the 8th
    {"&#233;", "\xE9"},
    {"&#xff;", "\xFF"},
    {"&#256;", "&#256;"},    // no such character in the code page
    {"&#0;", "&#0;"},
    {"&amp;lt;", "&lt;"},   // decoded once
    {"x&#65;y&#66;z", "xAyBz"},
};

TEST(XmlDoc, ValueDecoding)
{
    for (const DecodeCase& c : kDecodeCases)
        EXPECT_EQ(DecodeXmlValue(c.value), c.decoded) << c.value;
}

} // namespace

TEST(XmlDocValues, RawGreaterThanInsideAValueHidesNothing)
{
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument("<STATUS ds=\"Aisle 3 -> Front\" ms=\"\" vr=\"FX40211 v2\"><TIME sec=\"5\"/></STATUS>"));
    ASSERT_TRUE(doc.FindElement("STATUS"));
    EXPECT_EQ(doc.GetAttribute("ds"), "Aisle 3 -> Front");
    EXPECT_EQ(doc.GetAttribute("vr"), "FX40211 v2");
    ASSERT_TRUE(doc.FindChildElement("TIME"));
    ASSERT_TRUE(doc.IntoElement());
    EXPECT_EQ(doc.GetAttribute("sec"), "5");
}

TEST(XmlDocValues, ApostropheInsideADoctypeWordIsPlain)
{
    CXmlDoc doc;
    EXPECT_TRUE(doc.SetDocument("<!DOCTYPE a don't><a x=\"1\"/>")) << doc.GetError();
    ASSERT_TRUE(doc.FindElement("a"));
    EXPECT_EQ(doc.GetAttribute("x"), "1");
    EXPECT_TRUE(doc.SetDocument("<!DOCTYPE a 'q > x'><a/>")) << doc.GetError();
}
