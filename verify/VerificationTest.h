#pragma once
// The verification test of an installed display without its wizard window: the two verification
// messages, the factory restore, the classification the pages depend on, and the keep-alive that
// runs while the test is open. A wizard window and the command line call the same operations.
//
// While it lives it is the link's listener: the listener before it (the core) is told the link is
// busy, so that its own keep-alive rests, and gets the link back, told it is idle, at the end.
// Each operation is one job through the core (behind the view's progress window) with its
// progress text; link results do not stop a step. Destroy it outside the core's jobs.

#include "connection/KeepAliveTimer.h"
#include "link/IPTANetListener.h"
#include "verify/VerificationDisplay.h"
#include "verify/VerificationSteps.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class CInstallerCore;

class CVerificationTest final : private IPTANetListener {
public:
    static constexpr unsigned long kKeepAliveMs = 180000;

    // timer: the window's own keep-alive timer, or null for one on a thread.
    CVerificationTest(CInstallerCore& core, int address, const VerificationDisplay& display,
                      std::unique_ptr<IKeepAliveTimer> timer = nullptr);
    // The display the core is connected to (ConnectedVerificationDisplay): what the command line
    // uses, once connected and the display's lists read.
    CVerificationTest(CInstallerCore& core, int address);
    ~CVerificationTest() override;
    CVerificationTest(const CVerificationTest&) = delete;
    CVerificationTest& operator=(const CVerificationTest&) = delete;

    // The wizard is on screen: the keep-alive starts counting.
    void StartKeepAlive();

    // The display is none of the sizes and colours the messages are made for.
    bool IsNotStandardDisplay() const { return !IsStandardDisplay(m_display); }
    const VerificationDisplay& Display() const { return m_display; }
    // The hold time is the operator's only for the HITECH set; the package set times itself.
    bool IsHoldTimeEditable() const { return !m_display.bFirmwareLine; }

    void SendMessageOne();
    // The controller's clock is set to the computer's first, so the date it shows is right.
    void SendMessageTwo(const std::string& storeNumber);
    // The time message two set the clock to (seconds since 1970, UTC); 0 before it was sent. A
    // window draws the date the display shows from it.
    long long ClockSetTo() const { return m_nClockSet; }
    // Wipes the display's messages, schedules and fonts and sends the factory set of its line;
    // holdTimeMs is the HITECH set's time per message (the package set carries its own).
    FactoryRestoreReport RestoreFactoryMessages(unsigned long holdTimeMs);
    unsigned long HoldTimeMs() const { return m_nHoldTimeMs; }

    // The keep-alive's expiry: re-reads STATUS.XML (and drops it) while the link is open and no
    // other job runs; with the link closed the keep-alive stops.
    void OnKeepAlive();

private:
    void BeginBusy() override;
    void EndBusy() override;
    void RunStep(const char* progress, const std::function<void(ISignOperations&)>& work);
    void StepWork(const char* progress, const std::function<void(ISignOperations&)>& work);

    CInstallerCore& m_core;
    int m_nAddress;
    VerificationDisplay m_display;
    std::atomic<unsigned long> m_nHoldTimeMs{0};
    std::atomic<long long> m_nClockSet{0};
    IPTANetListener* m_pPrevious = nullptr; // not owned
    std::atomic<bool> m_bClosing{false};
    std::unique_ptr<IKeepAliveTimer> m_keepAlive;
};
