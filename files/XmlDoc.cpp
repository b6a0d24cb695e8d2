#include "files/XmlDoc.h"

#include "base/WholeFile.h"
#include "files/TextFile.h"

#include <array>
#include <utility>

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Character classes of the token rules, looked up per byte.
enum CharClass : unsigned char { kPlain = 0, kSpace = 1, kDelimiter = 2 };

constexpr std::array<CharClass, 256> MakeCharClasses()
{
    std::array<CharClass, 256> classes{};
    for (const char c : {' ', '\t', '\n', '\r'})
        classes[static_cast<unsigned char>(c)] = kSpace;
    // These end a plain token and stand as a token of their own.
    for (const char c : {'<', '>', '=', '\\', '/', '?', '!'})
        classes[static_cast<unsigned char>(c)] = kDelimiter;
    return classes;
}

constexpr std::array<CharClass, 256> kCharClasses = MakeCharClasses();

CharClass ClassOf(char c) { return kCharClasses[static_cast<unsigned char>(c)]; }
bool IsSpace(char c) { return ClassOf(c) == kSpace; }
bool IsDelimiter(char c) { return ClassOf(c) == kDelimiter; }

struct Token {
    std::size_t nStart = 0;  // first character of the content (after an opening quote)
    std::size_t nEnd = 0;    // one past the content
    std::size_t nNext = 0;   // where the next token is looked for
    bool bQuoted = false;
    bool bClosed = true;     // a quoted token found its closing quote before the limit

    std::string_view In(std::string_view text) const { return text.substr(nStart, nEnd - nStart); }
    char First(std::string_view text) const { return text[nStart]; }
    bool Is(std::string_view text, char c) const { return !bQuoted && text[nStart] == c; }
};

// The next token at or after `pos`, looking no further than `limit`. False when only whitespace is
// left. A quoted token without its closing quote runs to the limit.
bool NextToken(std::string_view text, std::size_t pos, std::size_t limit, Token& token)
{
    while (pos < limit && IsSpace(text[pos]))
        ++pos;
    if (pos >= limit)
        return false;
    const char first = text[pos];
    token = Token{};
    if (first == '"' || first == '\'') {
        // Values are short: a plain loop beats a library search here.
        std::size_t close = pos + 1;
        while (close < limit && text[close] != first)
            ++close;
        token.bQuoted = true;
        token.bClosed = close < limit;
        token.nStart = pos + 1;
        token.nEnd = close;
        token.nNext = token.bClosed ? close + 1 : limit;
        return true;
    }
    token.nStart = pos;
    std::size_t end = pos + 1;
    if (!IsDelimiter(first))
        while (end < limit && ClassOf(text[end]) == kPlain)
            ++end;
    token.nEnd = end;
    token.nNext = end;
    return true;
}

// A document type declaration ends at the first '>' outside square brackets (which nest) and
// outside quoted tokens. A quote starts one only where a token starts: inside a word ("don't") it
// is a plain character.
bool SkipDocType(std::string_view text, std::size_t pos, std::size_t& end)
{
    std::size_t depth = 0;
    bool tokenStart = true;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        const bool startsToken = tokenStart;
        tokenStart = ClassOf(c) != kPlain || c == '[' || c == ']';
        if ((c == '"' || c == '\'') && startsToken) {
            pos = text.find(c, pos + 1);
            if (pos == npos)
                return false;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            if (depth > 0)
                --depth;
        } else if (c == '>' && depth == 0) {
            end = pos + 1;
            return true;
        }
    }
    return false;
}

// Skips "<?...?>", "<!--...-->", "<![...]]>" or "<!...>"; `at` is the '?' or '!'. `end` is the
// offset after the construct.
bool SkipNode(std::string_view text, std::size_t at, std::size_t& end)
{
    std::string_view terminator;
    std::size_t from = at + 1;
    if (text[at] == '?') {
        terminator = "?>";
    } else if (text.compare(at, 3, "!--") == 0) {
        terminator = "-->";
        from = at + 3;
    } else if (text.compare(at, 2, "![") == 0) {
        terminator = "]]>";
        from = at + 2;
    } else {
        return SkipDocType(text, at + 1, end);
    }
    const std::size_t found = text.find(terminator, from);
    if (found == npos)
        return false;
    end = found + terminator.size();
    return true;
}

enum class EndTagResult { Ok, DoesNotCorrespond, NotCompleted };

// Reads an end tag whose "/" token is `slash`: the name must match, then tokens up to '>'.
EndTagResult ReadEndTag(std::string_view text, const Token& slash, std::string_view name, std::size_t& gt)
{
    Token token;
    if (!NextToken(text, slash.nNext, text.size(), token))
        return EndTagResult::NotCompleted;
    if (token.bQuoted || !XmlNameMatches(name, token.In(text)))
        return EndTagResult::DoesNotCorrespond;
    std::size_t pos = token.nNext;
    while (NextToken(text, pos, text.size(), token)) {
        if (token.Is(text, '>')) {
            gt = token.nStart;
            return EndTagResult::Ok;
        }
        pos = token.nNext;
    }
    return EndTagResult::NotCompleted;
}

// An element whose end tag has not been met yet.
struct OpenElement {
    std::int32_t iElement;
    std::string_view name;
    std::int32_t iLastChild;
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "&#65;" or "&#x41;" at the start of `rest`: the byte it stands for and the length of the
// reference. Codes outside 1..255 have no character in the tool's code page.
bool DecodeCharReference(std::string_view rest, char& byte, std::size_t& length)
{
    const bool hex = rest.size() > 2 && rest[2] == 'x';
    const std::size_t digits = hex ? 3 : 2;
    const std::size_t semicolon = rest.substr(0, 8).find(';', 1);
    if (semicolon == npos || semicolon <= digits)
        return false;
    unsigned code = 0;
    for (std::size_t i = digits; i < semicolon; ++i) {
        const int value = hex ? HexDigit(rest[i]) : (rest[i] >= '0' && rest[i] <= '9' ? rest[i] - '0' : -1);
        if (value < 0)
            return false;
        code = code * (hex ? 16 : 10) + static_cast<unsigned>(value); // at most 5 digits: no overflow
    }
    if (code == 0 || code > 0xFF)
        return false;
    byte = static_cast<char>(code);
    length = semicolon + 1;
    return true;
}

const char* const kErrElementTagNotFound = "Element tag not found";
const char* const kErrAbruptEnd = "Abrupt end within tag";
const char* const kErrTagStartsWithQuote = "Tag starts with quote";
const char* const kErrInvalidNode = "Invalid node";
const char* const kErrEndOfTagNotFound = "End of tag not found";
const char* const kErrEndTagDoesNotCorrespond = "End tag does not correspond to ";
const char* const kErrEndTagNotCompleted = "End tag not completed for element ";
// "End tag of %s element not found" and "Expecting end tag of element %s" never arise here: the end
// tag is the very "</" the scan for a next child stopped at (so comments before it are skipped),
// and running out of text on the way there is already "Element tag not found".
//
// Malformed input the texts above do not describe.
const char* const kErrTooLarge = "Document too large to index";
const char* const kErrEndTagBeforeRoot = "End tag found before the root element";
const char* const kErrElementNameNotFound = "Element name not found";

} // namespace

bool XmlNameMatches(std::string_view name, std::string_view token)
{
    if (token.empty() || token.size() > name.size() || token[0] != name[0] ||
        name.compare(0, token.size(), token) != 0)
        return false;
    if (token.size() == name.size())
        return true;
    const char next = name[token.size()];
    return next == ' ' || next == '=' || next == '/' || next == '[';
}

std::string DecodeXmlValue(std::string_view value)
{
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&lt;", '<'}, {"&amp;", '&'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
    std::string out;
    out.reserve(value.size());
    std::size_t i = 0;
    while (i < value.size()) {
        const std::size_t amp = value.find('&', i);
        if (amp == npos) {
            out.append(value.substr(i));
            break;
        }
        out.append(value.substr(i, amp - i));
        const std::string_view rest = value.substr(amp);
        i = amp + 1;
        bool decoded = false;
        for (const auto& [entity, byte] : kEntities) {
            if (rest.substr(0, entity.size()) == entity) {
                out += byte;
                i = amp + entity.size();
                decoded = true;
                break;
            }
        }
        char byte = 0;
        std::size_t length = 0;
        if (!decoded && rest.substr(0, 2) == "&#" && DecodeCharReference(rest, byte, length)) {
            out += byte;
            i = amp + length;
            decoded = true;
        }
        if (!decoded)
            out += '&';
    }
    return out;
}

CXmlDoc::CXmlDoc()
{
    SetDocument(nullptr);
}

bool CXmlDoc::SetDocument(const char* szText, bool bUtf8)
{
    return SetDocument(std::string(szText ? szText : ""), bUtf8);
}

bool CXmlDoc::SetDocument(std::string strText, bool bUtf8)
{
    m_strDoc = bUtf8 ? Utf8ToSingleByte(strText) : std::move(strText);
    m_strError.clear();
    ResetPosition();
    return Index();
}

bool CXmlDoc::LoadDocument(const std::filesystem::path& path)
{
    std::string bytes;
    std::string fault; // the document says only whether it loaded
    if (qvxbase::ReadWholeFile(path.string(), kMaxXmlTextSize, bytes, fault) != qvxbase::FileStatus::Ok)
        return false;
    return SetDocument(std::move(bytes), true);
}

bool CXmlDoc::Fail(std::string strError)
{
    m_strError = std::move(strError);
    m_aRecords.assign(1, ElementRecord{});
    ResetPosition();
    return false;
}

// One pass over the text with an explicit stack of open elements, so nesting depth is bounded by
// memory only. Only the first element (the root) and what it contains is indexed.
bool CXmlDoc::Index()
{
    m_aRecords.clear();
    m_aRecords.reserve(m_strDoc.size() / 64 + 8);
    m_aRecords.emplace_back();
    if (m_strDoc.empty())
        return false;
    if (m_strDoc.size() > kMaxXmlTextSize)
        return Fail(kErrTooLarge);

    const std::string_view text = m_strDoc;
    std::vector<OpenElement> open;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t lt = text.find('<', pos);
        if (lt == npos)
            return Fail(kErrElementTagNotFound);
        Token token;
        if (!NextToken(text, lt + 1, text.size(), token))
            return Fail(kErrAbruptEnd);
        if (token.bQuoted)
            return Fail(kErrTagStartsWithQuote);

        const char first = token.First(text);
        if (first == '?' || first == '!') {
            if (!SkipNode(text, token.nStart, pos))
                return Fail(kErrInvalidNode);
            continue;
        }

        if (first == '/') {
            if (open.empty())
                return Fail(kErrEndTagBeforeRoot);
            const OpenElement& element = open.back();
            std::size_t gt = 0;
            switch (ReadEndTag(text, token, element.name, gt)) {
            case EndTagResult::DoesNotCorrespond:
                return Fail(kErrEndTagDoesNotCorrespond + std::string(element.name));
            case EndTagResult::NotCompleted:
                return Fail(kErrEndTagNotCompleted + std::string(element.name));
            case EndTagResult::Ok:
                break;
            }
            ElementRecord& record = m_aRecords[static_cast<std::size_t>(element.iElement)];
            record.nEndTagStart = static_cast<std::int32_t>(lt);
            record.nEndTagEnd = static_cast<std::int32_t>(gt);
            open.pop_back();
            if (open.empty())
                return true;
            pos = gt + 1;
            continue;
        }

        if (IsDelimiter(first))
            return Fail(kErrElementNameNotFound);
        // A plain search: a '>' inside an attribute value ends the tag.
        const std::size_t gt = text.find('>', token.nEnd);
        if (gt == npos)
            return Fail(kErrEndOfTagNotFound);

        if (m_aRecords.size() == m_aRecords.capacity())
            m_aRecords.reserve(m_aRecords.capacity() + m_aRecords.capacity() / 2);
        const auto iNew = static_cast<std::int32_t>(m_aRecords.size());
        ElementRecord& record = m_aRecords.emplace_back();
        record.nStartTagStart = static_cast<std::int32_t>(lt);
        record.nStartTagEnd = static_cast<std::int32_t>(gt);
        if (open.empty()) {
            m_aRecords[0].iFirstChild = iNew;
        } else {
            OpenElement& parent = open.back();
            record.iParent = parent.iElement;
            if (parent.iLastChild != 0)
                m_aRecords[static_cast<std::size_t>(parent.iLastChild)].iNextSibling = iNew;
            else
                m_aRecords[static_cast<std::size_t>(parent.iElement)].iFirstChild = iNew;
            parent.iLastChild = iNew;
        }
        pos = gt + 1;

        if (text[gt - 1] == '/') {
            record.nEndTagStart = static_cast<std::int32_t>(gt - 1);
            record.nEndTagEnd = static_cast<std::int32_t>(gt);
            if (open.empty())
                return true;
            continue;
        }
        open.push_back({iNew, token.In(text), 0});
    }
}

void CXmlDoc::ResetPosition()
{
    m_iPosParent = 0;
    m_iPos = 0;
    m_iPosChild = 0;
}

std::string_view CXmlDoc::TagNameOf(std::int32_t iElement) const
{
    const ElementRecord& record = m_aRecords[static_cast<std::size_t>(iElement)];
    const std::string_view text = m_strDoc;
    Token token;
    NextToken(text, static_cast<std::size_t>(record.nStartTagStart) + 1,
              static_cast<std::size_t>(record.nStartTagEnd), token);
    return token.In(text);
}

std::int32_t CXmlDoc::FindSibling(std::int32_t iFirst, const char* szName) const
{
    const std::string_view name = szName ? std::string_view(szName) : std::string_view();
    for (std::int32_t i = iFirst; i != 0; i = m_aRecords[static_cast<std::size_t>(i)].iNextSibling)
        if (!szName || XmlNameMatches(name, TagNameOf(i)))
            return i;
    return 0;
}

bool CXmlDoc::FindElement(const char* szName)
{
    const std::int32_t iStart = m_iPos != 0 ? m_aRecords[static_cast<std::size_t>(m_iPos)].iNextSibling
                                            : m_aRecords[static_cast<std::size_t>(m_iPosParent)].iFirstChild;
    const std::int32_t iFound = FindSibling(iStart, szName);
    if (iFound == 0)
        return false;
    m_iPos = iFound;
    m_iPosChild = 0;
    return true;
}

bool CXmlDoc::FindChildElement(const char* szName)
{
    if (m_iPos == 0 && !FindElement(nullptr))
        return false;
    const std::int32_t iStart = m_iPosChild != 0 ? m_aRecords[static_cast<std::size_t>(m_iPosChild)].iNextSibling
                                                 : m_aRecords[static_cast<std::size_t>(m_iPos)].iFirstChild;
    const std::int32_t iFound = FindSibling(iStart, szName);
    if (iFound == 0)
        return false;
    m_iPosChild = iFound;
    return true;
}

bool CXmlDoc::IntoElement()
{
    if (m_iPos == 0)
        return false;
    m_iPosParent = m_iPos;
    m_iPos = m_iPosChild;
    m_iPosChild = 0;
    return true;
}

bool CXmlDoc::OutOfElement()
{
    if (m_iPosParent == 0)
        return false;
    m_iPosChild = m_iPos;
    m_iPos = m_iPosParent;
    m_iPosParent = m_aRecords[static_cast<std::size_t>(m_iPos)].iParent;
    return true;
}

std::string CXmlDoc::GetTagName() const
{
    return m_iPos != 0 ? std::string(TagNameOf(m_iPos)) : std::string();
}

// Tokens of the start tag after its name: name '=' "value" triples, up to a '>', '/' or '?' token.
// A quoted value runs to its closing quote, so a raw '>' inside one (which ends the tag for the
// index) does not hide the attributes after it. The first matching name decides.
std::string CXmlDoc::GetAttribute(std::string_view name) const
{
    if (m_iPos == 0)
        return {};
    const ElementRecord& record = m_aRecords[static_cast<std::size_t>(m_iPos)];
    const std::string_view text = m_strDoc;
    const std::size_t limit = text.size();
    Token token;
    NextToken(text, static_cast<std::size_t>(record.nStartTagStart) + 1, limit, token); // the tag name

    enum class Expect { Name, EqualsOrName, Value } expect = Expect::Name;
    bool matched = false;
    std::size_t pos = token.nNext;
    while (NextToken(text, pos, limit, token)) {
        pos = token.nNext;
        if (token.Is(text, '>') || token.Is(text, '/') || token.Is(text, '?'))
            return {};
        const bool equals = token.Is(text, '=');
        if (expect == Expect::Value) {
            if (matched)
                return token.bQuoted && token.bClosed ? DecodeXmlValue(token.In(text)) : std::string();
            expect = Expect::Name;
            continue;
        }
        if (equals) {
            expect = Expect::Value;
            continue;
        }
        if (expect == Expect::EqualsOrName && matched)
            return {}; // the attribute is there but has no value
        matched = !token.bQuoted && XmlNameMatches(name, token.In(text));
        expect = Expect::EqualsOrName;
    }
    return {};
}
