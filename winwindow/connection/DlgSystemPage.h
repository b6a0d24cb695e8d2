#pragma once
// The "System" page: reset, memory cleanup (after the operator confirms) and the clock.

#include "winwindow/widgets/Page.h"

class CDlgSystemPage final : public CPage {
public:
    bool Create(HWND pageArea, HWND notify);
    void EnablePage(bool enable) override;

private:
    bool OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
};
