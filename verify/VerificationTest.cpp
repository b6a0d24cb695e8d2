#include "verify/VerificationTest.h"

#include "base/TimeScale.h"
#include "connection/InstallerCore.h"
#include "verify/VerificationMessages.h"

#include <chrono>

namespace {

constexpr char kMessageOne[] = "MsgOne.M2M";
constexpr char kMessageTwo[] = "MsgTwo.M2M";
constexpr char kStatusFile[] = "STATUS.XML";

std::uint32_t SecondsSince1970()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count());
}

} // namespace

CVerificationTest::CVerificationTest(CInstallerCore& core, int address, const VerificationDisplay& display,
                                     std::unique_ptr<IKeepAliveTimer> timer)
    : m_core(core), m_nAddress(address), m_display(display), m_keepAlive(std::move(timer))
{
    if (!m_keepAlive)
        m_keepAlive = std::make_unique<CThreadKeepAliveTimer>([this] { OnKeepAlive(); });
    auto hold = m_core.Session().HoldLink();
    m_pPrevious = m_core.Session().Link().GetListener();
    m_core.Session().Link().SetListener(this);
    if (m_pPrevious != nullptr)
        m_pPrevious->BeginBusy();
}

CVerificationTest::CVerificationTest(CInstallerCore& core, int address)
    : CVerificationTest(core, address, ConnectedVerificationDisplay(core))
{
}

CVerificationTest::~CVerificationTest()
{
    // No refresh may start now; one waiting for the link finds m_bClosing and does nothing.
    m_bClosing = true;
    m_keepAlive->Stop();
    {
        auto hold = m_core.Session().HoldLink();
        if (m_core.Session().Link().GetListener() == this)
            m_core.Session().Link().SetListener(m_pPrevious);
        if (m_pPrevious != nullptr)
            m_pPrevious->EndBusy();
    }
    m_keepAlive.reset();
}

void CVerificationTest::StartKeepAlive()
{
    if (!m_bClosing)
        m_keepAlive->Start(std::chrono::milliseconds(ScaledMs(kKeepAliveMs)));
}

void CVerificationTest::RunStep(const char* progress, const std::function<void(ISignOperations&)>& work)
{
    m_core.RunJob([&] { StepWork(progress, work); });
}

void CVerificationTest::StepWork(const char* progress, const std::function<void(ISignOperations&)>& work)
{
    if (m_bClosing)
        return;
    m_core.Runner().Progress().Text(progress);
    CLinkSignOperations ops(m_core.Session().Link(), m_nAddress, [this] { return m_core.IsCancelled(); });
    work(ops);
}

void CVerificationTest::SendMessageOne()
{
    RunStep("Sending Verification Message 1", [&](ISignOperations& ops) {
        const VerificationDisplay& d = m_display;
        SendVerificationMessage(ops, kMessageOne,
                                BuildMessageOne(d.nWidth, d.nHeight, d.nColourBitCode, d.bWindow, d.bFirmwareLine));
    });
}

void CVerificationTest::SendMessageTwo(const std::string& storeNumber)
{
    RunStep("Sending Verification Message 2", [&](ISignOperations& ops) {
        const std::uint32_t now = SecondsSince1970();
        m_nClockSet = now;
        ops.SetTime(now);
        const VerificationDisplay& d = m_display;
        SendVerificationMessage(ops, kMessageTwo,
                                BuildMessageTwo(d.nWidth, d.nHeight, d.nColourBitCode, d.bWindow, d.bFirmwareLine,
                                                storeNumber));
    });
}

FactoryRestoreReport CVerificationTest::RestoreFactoryMessages(unsigned long holdTimeMs)
{
    m_nHoldTimeMs = holdTimeMs;
    FactoryRestoreReport report;
    RunStep("Restoring Factory Messages",
            [&](ISignOperations& ops) { report = RestoreFactorySet(ops, m_display, holdTimeMs); });
    return report;
}

void CVerificationTest::OnKeepAlive()
{
    // A job is running: its own exchanges keep the line alive and restart the count.
    if (m_bClosing || m_core.Runner().IsBusy())
        return;
    bool open = false;
    {
        auto hold = m_core.Session().HoldLink();
        open = m_core.Session().Link().IsOpen();
    }
    if (!open) {
        m_keepAlive->Stop();
        return;
    }
    // Only as an operation of its own: one begun since keeps the line alive itself.
    m_core.Runner().RunIfIdle(
        [this] { StepWork("Refreshing sign connection", [](ISignOperations& ops) { ops.GetFile(kStatusFile); }); });
}

void CVerificationTest::BeginBusy()
{
    if (!m_bClosing)
        m_keepAlive->Stop();
}

void CVerificationTest::EndBusy()
{
    if (!m_bClosing)
        m_keepAlive->Start(std::chrono::milliseconds(ScaledMs(kKeepAliveMs)));
}
