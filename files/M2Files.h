#pragma once
// One controller file loaded from disk (as fetched from the controller and written unchanged), and
// the list of file names in a DIRECTORY.XML.

#include "files/XmlDoc.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace DirectoryXml {
inline constexpr char kRoot[] = "DIR";
// Attributes of each child, whatever its element name.
inline constexpr char kName[] = "name";
inline constexpr char kSize[] = "sz";
inline constexpr char kSeconds[] = "sec";
} // namespace DirectoryXml

class CM2Files {
public:
    // Reads the file, converts it from UTF-8, repairs its line ends and indexes it. True when the
    // file was read and a root element indexed; a file that cannot be read leaves the document as
    // it was.
    bool Load(const std::filesystem::path& path);
    // Empties `names`, loads the file and, when that worked, appends the directory's file names.
    // Returns the load result.
    bool LoadDirectory(const std::filesystem::path& path, std::vector<std::string>& names);
    // The same for a file's bytes as they came from the controller.
    bool LoadText(std::string_view bytes);
    bool LoadDirectoryText(std::string_view bytes, std::vector<std::string>& names);

    bool IsLoaded() const { return m_bLoaded; }
    // The file's text after line-end repair.
    const std::string& GetText() const { return m_xmlDoc.GetDocumentText(); }
    CXmlDoc& GetDocument() { return m_xmlDoc; }
    const CXmlDoc& GetDocument() const { return m_xmlDoc; }

private:
    CXmlDoc m_xmlDoc;
    bool m_bLoaded = false;
};

// Every line feed not directly preceded by a carriage return gets one inserted before it.
std::string RepairLineEnds(std::string_view text);

// Appends the non-empty "name" of each child of a root named exactly DIR, in document order; a
// document with another root adds nothing. Leaves the position reset.
void ReadDirectoryNames(CXmlDoc& doc, std::vector<std::string>& names);
