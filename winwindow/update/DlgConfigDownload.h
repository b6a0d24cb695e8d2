#pragma once
// The "Download Configuration" page: the generation filter, the display types, the time zone and
// the chosen type's CONFIG.XML as it would be sent. "Check Configuration" posts
// kCheckConfiguration with the selected type's key (nothing without a selection).

#include "winwindow/widgets/Page.h"

#include <string>

class CConfigDownloader;

class CDlgConfigDownload final : public CPage {
public:
    explicit CDlgConfigDownload(CConfigDownloader& config) : m_config(config) {}
    ~CDlgConfigDownload() override;
    bool Create(HWND pageArea, HWND notify);
    void EnablePage(bool enable) override;

    // Fills the lists again for the display now connected: its own type and zone selected.
    void Refill();
    std::string SelectedTimeZone() const;

private:
    bool OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    void SetTemplateFont();
    void FillTimeZones();
    // The type list of the selected filter, with the page's selection, and its template.
    void FillTypes();
    void ShowTemplate();
    int SelectedKey() const; // -1: none

    CConfigDownloader& m_config;
    HFONT m_templateFont = nullptr;
};
