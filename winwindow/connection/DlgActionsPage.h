#pragma once
// The "Sable 2200 Actions" page: the test patterns and the display's two information lists.
// "Start Test Pattern" posts the selected pattern's number, "Stop Test Pattern" the stop.

#include "connection/DisplayLists.h"
#include "winwindow/widgets/Page.h"

#include <vector>

class CDlgActionsPage final : public CPage {
public:
    bool Create(HWND pageArea, HWND notify);
    void EnablePage(bool enable) override;
    void ShowLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status);

private:
    bool OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
};
