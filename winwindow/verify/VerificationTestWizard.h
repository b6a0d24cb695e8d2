#pragma once
// The verification test wizard as a wizard property sheet over the connected display: message
// one and its photo check, message two (store number, date, temperature) and its check, then the
// factory messages restored. Steps run as core operations behind the main window's progress
// window; while the sheet is open the wizard's own keep-alive refreshes the connection.
//
// While the wizard lives it holds a CVerificationTest: the link's listener is the test's and the
// core's keep-alive rests; the wizard's keep-alive is a window timer. The link is handed back as
// soon as the sheet closes.

#include "verify/MessageBoards.h"
#include "verify/VerificationDisplay.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CInstallerCore;
class CUiCalls;
class CVerificationTest;
class CWizardPage;
class CCheckPage;

enum class WizardEnd { Finished, Cancelled };

// Shows the wizard modally for the display the core is connected to. Finished: the caller
// disconnects the display; Cancelled: the connection stays.
WizardEnd RunVerificationWizard(HWND owner, CUiCalls& calls, CInstallerCore& core, int address);

class CVerificationTestWizard {
public:
    static constexpr char kCaption[] = "QVXFirmInstaller";
    static constexpr char kSheetTitle[] = "Pellworth LED Reader Board Verification Test";
    static constexpr UINT_PTR kKeepAliveTimerId = 6000;

    // The pages, in order; the first only for a display that is not standard.
    enum PageId { NotStandardPage, MessageOnePage, MessageOneCheckPage, MessageTwoPage, MessageTwoCheckPage,
                  FactoryPage, NoPage };

    // Takes the core's link until the sheet closes (or the wizard goes, when it never ran). Make
    // and destroy it on the window's thread, outside core jobs.
    CVerificationTestWizard(CUiCalls& calls, CInstallerCore& core, int address, const VerificationDisplay& display);
    ~CVerificationTestWizard();
    CVerificationTestWizard(const CVerificationTestWizard&) = delete;
    CVerificationTestWizard& operator=(const CVerificationTestWizard&) = delete;

    // Shows the sheet modally over owner; shown runs once the sheet is up and its message loop
    // runs (tests drive the pages from there).
    WizardEnd Run(HWND owner, std::function<void(HWND sheet)> shown = {});

    bool IsNotStandardDisplay() const { return m_bNotStandard; }
    bool IsHoldTimeEditable() const { return m_bHoldTimeEditable; }
    bool IsMonochrome() const { return m_bMonochrome; }

    // The pages' steps; each returns once its job has ended (nothing once the sheet has closed).
    void SendMessageOne();
    void SendMessageTwo(const std::string& storeNumber);
    void RestoreFactoryMessages(unsigned long holdTimeMs);

    // For tests and pictures (window's thread): the sheet while it is up, the page showing, the
    // header title of a page, a check page's picture (its lines, whether a bitmap is shown) and
    // the hold time the last restore sent.
    HWND Sheet() const { return m_sheet; }
    PageId CurrentPage() const;
    HWND PageWindow(PageId id) const;
    static const char* HeaderTitle(PageId id);
    std::vector<std::string> PictureLines(PageId id) const;
    unsigned long RestoredHoldTimeMs() const;

    // Called by the pages.
    void OnPageActive(HWND sheet);
    // Moves from page to the one after it.
    void MoveOn(const CWizardPage& page);
    void OnFinish() { m_bFinished = true; }

private:
    static LRESULT CALLBACK SheetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR data);
    void ReleaseLink();

    CUiCalls& m_calls;
    CInstallerCore& m_core;
    VerificationDisplay m_display;
    bool m_bNotStandard;
    bool m_bHoldTimeEditable;
    bool m_bMonochrome;
    std::unique_ptr<CVerificationTest> m_test;
    std::vector<std::unique_ptr<CWizardPage>> m_pages; // in the sheet's order
    CCheckPage* m_checkOne = nullptr;
    CCheckPage* m_checkTwo = nullptr;
    HWND m_sheet = nullptr;
    HBITMAP m_header = nullptr;
    std::function<void(HWND)> m_shown;
    bool m_bFinished = false;
    unsigned long m_nRestoredMs = 0;
};
