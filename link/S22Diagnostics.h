#pragma once
// The protocol diagnostics file of CS22Network: one record per logged try, appended.

#include <string>

class CS22NetPacket;

class CS22Diagnostics {
public:
    void Enable(bool errorsOnly, const char* directory);
    void Disable() { m_bEnabled = false; }
    void SetFileName(std::string name) { m_strFileName = std::move(name); }

    bool IsEnabled() const { return m_bEnabled; }
    // The file records go to: directory (with a separator added when it has none) + ".//" + file name.
    std::string FilePath() const;

    // Appends one record; silently skipped when disabled, filtered out or the file cannot be opened.
    void Record(bool firstTry, const CS22NetPacket& sent, const CS22NetPacket& received, short result) const;

private:
    std::string m_strDirectory;
    std::string m_strFileName;
    bool m_bEnabled = false;
    bool m_bErrorsOnly = false;
};
