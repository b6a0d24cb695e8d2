// CXmlDoc::SetDocument on arbitrary bytes, then the whole tree walked with the cursor, named finds
// and attribute reads. Checks: the text is kept byte for byte, the index is a sound tree over it,
// a failed indexing leaves no elements, and the UTF-8 flag converts as file loading does.
#include "files/TextFile.h"
#include "files/XmlDoc.h"
#include "tests/files/XmlIndexCheck.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CXmlDoc doc;
    const bool indexed = doc.SetDocument(text);
    QVX_FUZZ_CHECK(doc.GetDocumentText() == text);
    QVX_FUZZ_CHECK(indexed == (doc.GetIndex()[0].iFirstChild != 0));
    QVX_FUZZ_CHECK(indexed || doc.GetIndex().size() == 1);
    QVX_FUZZ_CHECK(indexed ? doc.GetError().empty() : doc.GetError().empty() == text.empty());
    QVX_FUZZ_CHECK(XmlIndexFault(doc).empty());

    // A name taken from the input, so that matching names are tried too.
    const std::string someName = text.substr(size / 2, 4);
    QVX_FUZZ_CHECK(WalkXmlElements(doc, someName) == doc.GetIndex().size() - 1);
    doc.ResetPosition();
    while (doc.FindElement(someName.c_str()))
        doc.GetAttribute(someName);
    doc.ResetPosition();
    if (doc.FindElement(nullptr) && doc.IntoElement())
        while (doc.FindElement(someName.c_str()))
            QVX_FUZZ_CHECK(!doc.GetTagName().empty());

    DecodeXmlValue(text);
    CXmlDoc converted;
    converted.SetDocument(text, true);
    QVX_FUZZ_CHECK(converted.GetDocumentText() == Utf8ToSingleByte(text));
    QVX_FUZZ_CHECK(converted.GetDocumentText().size() <= text.size());
    return 0;
}
