#pragma once
// Read-only XML document: the text exactly as given plus an index of its elements, and a cursor
// (parent, current, child) that walks the element tree. Only elements are indexed; declarations,
// comments, CDATA sections and document type declarations are skipped, and character data is never
// looked at. Text is single-byte (Latin-1: code points up to 0xFF are bytes).
//
// Bad input never throws: a document that cannot be indexed has no elements, every find fails and
// every read gives an empty string; GetError() says why.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// One indexed element. Offsets are byte offsets into the document text.
struct ElementRecord {
    std::int32_t nStartTagStart = 0; // the '<' of the start tag
    std::int32_t nStartTagEnd = 0;   // the '>' of the start tag
    std::int32_t nEndTagStart = 0;   // the '<' of the end tag; the '/' of "<name/>"
    std::int32_t nEndTagEnd = 0;     // the '>' of the end tag; nStartTagEnd for "<name/>"
    std::int32_t nReserved = 0;
    std::int32_t iParent = 0;        // 0 for the root element
    std::int32_t iFirstChild = 0;    // 0 if none
    std::int32_t iNextSibling = 0;   // 0 if none

    bool IsEmptyElement() const { return nStartTagEnd == nEndTagStart + 1; }
};

class CXmlDoc {
public:
    CXmlDoc();

    // Replaces the text (null reads as empty) and indexes it. With bUtf8 the text is first turned
    // into single bytes as LoadDocument does. True when a root element was indexed.
    bool SetDocument(const char* szText, bool bUtf8 = false);
    bool SetDocument(std::string strText, bool bUtf8 = false);

    // Reads a whole file, converts it from UTF-8 and indexes it. When the file cannot be read the
    // document is left as it was and the result is false.
    bool LoadDocument(const std::filesystem::path& path);

    const std::string& GetDocumentText() const { return m_strDoc; }
    // Why the last indexing failed; empty after success (and for an empty text).
    const std::string& GetError() const { return m_strError; }
    // Record 0 stands for the document: its first child is the root element.
    const std::vector<ElementRecord>& GetIndex() const { return m_aRecords; }

    // Before the root element: parent, current and child all 0.
    void ResetPosition();
    // Next element at the current level whose name matches (null: any). No wrap-around.
    bool FindElement(const char* szName = nullptr);
    // Next child of the current element whose name matches (null: any).
    bool FindChildElement(const char* szName = nullptr);
    // The current element becomes the parent level; false when there is no current element.
    bool IntoElement();
    // The parent element becomes current again; false at the top level.
    bool OutOfElement();

    std::string GetTagName() const;
    // Decoded value of a quoted attribute of the current element; empty if absent or unquoted.
    std::string GetAttribute(std::string_view name) const;

    // Indices of the cursor, for callers that need to know where it stands.
    std::int32_t GetParentIndex() const { return m_iPosParent; }
    std::int32_t GetCurrentIndex() const { return m_iPos; }
    std::int32_t GetChildIndex() const { return m_iPosChild; }

private:
    bool Index();
    bool Fail(std::string strError);
    std::string_view TagNameOf(std::int32_t iElement) const;
    std::int32_t FindSibling(std::int32_t iFirst, const char* szName) const;

    std::string m_strDoc;
    std::string m_strError;
    std::vector<ElementRecord> m_aRecords;
    std::int32_t m_iPosParent = 0;
    std::int32_t m_iPos = 0;
    std::int32_t m_iPosChild = 0;
};

// Whether a tag-name or attribute-name token names `name`: the token's characters are the first
// characters of the name, case-sensitively, and the name ends there or goes on with ' ', '=', '/'
// or '['.
bool XmlNameMatches(std::string_view name, std::string_view token);

// Decodes an attribute value: the five named entities, "&#" decimal and "&#x" hexadecimal
// references with a ';' within the seven characters after the '&' (codes 1 to 255); anything else
// is kept as it stands.
std::string DecodeXmlValue(std::string_view value);
