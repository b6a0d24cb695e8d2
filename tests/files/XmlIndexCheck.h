#pragma once
// Checks shared by the reader's tests and its fuzz target: the index is a tree of records placed on
// the text's own tags, and the cursor alone can walk all of it.

#include "files/XmlDoc.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The first broken promise of the index, or empty when it is sound.
inline std::string XmlIndexFault(const CXmlDoc& doc)
{
    const std::string& text = doc.GetDocumentText();
    const auto& index = doc.GetIndex();
    if (index.empty())
        return "no record 0";
    auto at = [](std::int32_t offset) { return static_cast<std::size_t>(offset); };
    for (std::size_t i = 1; i < index.size(); ++i) {
        const ElementRecord& r = index[i];
        const std::string where = "record " + std::to_string(i) + ": ";
        if (r.nStartTagStart < 0 || at(r.nEndTagEnd) >= text.size() || r.nStartTagStart >= r.nStartTagEnd)
            return where + "offsets outside the text or out of order";
        if (text[at(r.nStartTagStart)] != '<' || text[at(r.nStartTagEnd)] != '>' || text[at(r.nEndTagEnd)] != '>')
            return where + "tag offsets not on '<' and '>'";
        if (r.IsEmptyElement() ? (text[at(r.nEndTagStart)] != '/' || r.nEndTagEnd != r.nStartTagEnd)
                               : (text[at(r.nEndTagStart)] != '<' || r.nEndTagStart <= r.nStartTagEnd))
            return where + "end tag misplaced";
        if (r.iParent < 0 || at(r.iParent) >= i)
            return where + "parent not met before it";
        const ElementRecord& parent = index[at(r.iParent)];
        if (r.iParent != 0 && (r.nStartTagStart <= parent.nStartTagEnd || r.nEndTagEnd >= parent.nEndTagStart))
            return where + "not inside its parent";
        if (r.iNextSibling != 0 && (at(r.iNextSibling) <= i || at(r.iNextSibling) >= index.size() ||
                                    index[at(r.iNextSibling)].iParent != r.iParent ||
                                    index[at(r.iNextSibling)].nStartTagStart <= r.nEndTagEnd))
            return where + "bad next sibling";
        if (r.iFirstChild != 0 && (at(r.iFirstChild) <= i || at(r.iFirstChild) >= index.size() ||
                                   index[at(r.iFirstChild)].iParent != static_cast<std::int32_t>(i)))
            return where + "bad first child";
    }
    return {};
}

// Visits every element depth-first with the cursor alone, reading `attribute` and the tag name of
// each; returns how many were visited.
inline std::size_t WalkXmlElements(CXmlDoc& doc, std::string_view attribute)
{
    std::size_t visited = 0;
    doc.ResetPosition();
    bool found = doc.FindElement(nullptr);
    while (found) {
        ++visited;
        doc.GetAttribute(attribute);
        doc.GetTagName();
        // Into the first child; else out until a level has a next child.
        found = doc.FindChildElement(nullptr);
        while (!found && doc.OutOfElement())
            found = doc.FindChildElement(nullptr);
        if (found)
            doc.IntoElement();
    }
    return visited;
}
