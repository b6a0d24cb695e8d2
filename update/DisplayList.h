#pragma once
// The display list of the automatic update job: a text file of 48-line records, each giving a
// display name, its size, its addresses, the COM port and the baud rate of its line. Each address
// becomes one DisplayInfo entry. Lists are written on Windows, so CR LF line ends, a
// UTF-8 byte-order mark and a missing final line end read the same as plain LF text.

#include "files/DisplayInfo.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A record of the list that names displays the job cannot work: where it starts, its name, why.
struct RefusedRecord {
    std::size_t nLine = 0;
    std::string strName;
    std::string strWhy;
};

class CSilentConfigFileParser {
public:
    // No real list comes near this; a larger file is refused before it is read.
    static constexpr std::size_t kMaxFileBytes = std::size_t{16} << 20;
    // Longer lines still count as one line (records stay aligned); only their text is cut.
    static constexpr std::size_t kMaxLineChars = 99;
    // Every address of every COM port; entries past this are left out with one note.
    static constexpr std::size_t kMaxEntries = 255 * 240;

    // Opens the file (read sharing allowed) and parses it whole. False when the path is empty, the
    // file cannot be opened or read, or it is larger than kMaxFileBytes; GetFault() then says why
    // (with the system's reason where there is one) and the list is empty.
    bool Open(const std::string& path);
    // The same for a list already in memory. Replaces the entries, the notes and the fault.
    void Parse(std::string_view text);
    // Empties `displays` and appends a copy of every entry, in file order.
    void GetDisplays(std::vector<DisplayInfo>& displays) const;
    // What was left out, one readable line each, in file order: a record with a number too large
    // for its field (its first line number, its name and every such field), or the displays past
    // kMaxEntries.
    const std::vector<std::string>& GetSkippedRecords() const;
    // The records left out for a number out of range, and the record cut before its line settings,
    // in file order, for the job report (which lists every display the list names).
    const std::vector<RefusedRecord>& GetRefusedRecords() const { return m_arrRefused; }
    // The name of a display whose record the file cut before its COM port and baud rate lines
    // (only the last record can be), so that none of its displays can be reached; empty when
    // there is none. A cut record without a name is an unused slot, as whole ones are.
    const std::string& GetCutRecordName() const;
    // Where that record starts, from line 1.
    std::size_t GetCutRecordLine() const;
    const std::string& GetFault() const;

private:
    struct RecordLines;
    void AddRecord(const RecordLines& record);

    static const char* const kTooManyNote;

    std::vector<DisplayInfo> m_arrDisplays;
    std::vector<std::string> m_arrSkipped;
    std::vector<RefusedRecord> m_arrRefused;
    std::string m_strCutRecordName;
    std::size_t m_nCutRecordLine = 0;
    std::string m_strFault;
};

// A display listed again on the same port at the same address, and the name it was first listed as.
struct RepeatedDisplay {
    DisplayInfo entry;
    std::string strFirstName;
};
// Keeps the first entry of each port and address; returns the others, in file order.
std::vector<RepeatedDisplay> RemoveRepeatedDisplays(std::vector<DisplayInfo>& entries);
