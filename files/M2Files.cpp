#include "files/M2Files.h"

#include "base/WholeFile.h"
#include "files/TextFile.h"

std::string RepairLineEnds(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    std::size_t from = 0;
    for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', lf + 1)) {
        out.append(text.substr(from, lf - from));
        if (lf == 0 || text[lf - 1] != '\r')
            out += '\r';
        from = lf;
    }
    out.append(text.substr(from));
    return out;
}

void ReadDirectoryNames(CXmlDoc& doc, std::vector<std::string>& names)
{
    doc.ResetPosition();
    if (doc.FindElement(nullptr) && doc.GetTagName() == DirectoryXml::kRoot) {
        while (doc.FindChildElement(nullptr)) {
            doc.IntoElement();
            std::string name = doc.GetAttribute(DirectoryXml::kName);
            doc.OutOfElement();
            if (!name.empty())
                names.push_back(std::move(name));
        }
    }
    doc.ResetPosition();
}

// Converting and repairing before the one indexing gives the same index as indexing the converted
// text first: the inserted carriage returns are whitespace and never split a token or terminator.
bool CM2Files::Load(const std::filesystem::path& path)
{
    m_bLoaded = false;
    std::string bytes;
    std::string fault; // Load says only whether it loaded
    if (qvxbase::ReadWholeFile(path.string(), kMaxXmlTextSize, bytes, fault) != qvxbase::FileStatus::Ok)
        return false;
    return LoadText(bytes);
}

bool CM2Files::LoadText(std::string_view bytes)
{
    m_bLoaded = m_xmlDoc.SetDocument(RepairLineEnds(Utf8ToSingleByte(bytes)));
    return m_bLoaded;
}

bool CM2Files::LoadDirectoryText(std::string_view bytes, std::vector<std::string>& names)
{
    names.clear();
    if (!LoadText(bytes))
        return false;
    ReadDirectoryNames(m_xmlDoc, names);
    return true;
}

bool CM2Files::LoadDirectory(const std::filesystem::path& path, std::vector<std::string>& names)
{
    names.clear();
    if (!Load(path))
        return false;
    ReadDirectoryNames(m_xmlDoc, names);
    return true;
}
