#pragma once
// The "Download Firmware" page: the display's firmware and the recommended one, and the choice of
// another file. "Download Firmware" posts kDownloadFirmware (wParam 1: the file in the path field,
// 0: the recommended firmware), or says that a file is needed; a change of the file or of the box
// posts kFirmwareFileChanged, and the main window shows what the core makes of the file.

#include "winwindow/widgets/Page.h"

#include <string>

class CDlgFirmDownload final : public CPage {
public:
    bool Create(HWND pageArea, HWND notify);
    void EnablePage(bool enable) override;

    void SetCurrentFirmware(const std::string& version);
    void SetRecommendedFirmware(const std::string& version);
    // The verdict on the chosen file ("Version: ..." or why it is refused); empty clears it.
    void ShowFileCheck(const std::string& text);

    bool IsOtherFirmware() const;
    std::string FirmwarePath() const;
    // The chosen file's bare name (kept from Browse, or from what was typed).
    std::string FirmwareName() const;

private:
    bool OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    // Path and Browse are on only with the box checked, on an enabled page.
    void UpdateEnabled() const;
    void OnOtherToggled();
    void OnPathChanged();
    void OnBrowse();
    void OnDownload();

    std::string m_strName;
    bool m_bEnabled = false;
};
