#include "connection/InstallerCore.h"

#include "base/TimeScale.h"
#include "link/PortNames.h"
#include "update/package/FirmwareLine.h"

#include <algorithm>
#include <cstdio>

CInstallerCore::CInstallerCore(IInstallerView& view, std::unique_ptr<IKeepAliveTimer> timer)
    : m_view(view), m_messages(view, m_logManager), m_session(view),
      m_runner(view, m_messages, m_session.Link(), m_session.LinkLock()),
      m_connector(m_session, m_runner, m_messages, view), m_keepAlive(std::move(timer))
{
    if (!m_keepAlive)
        m_keepAlive = std::make_unique<CThreadKeepAliveTimer>([this] { OnKeepAlive(); });
    m_runner.SetBusyListener([this](bool busy) { m_session.SetBusy(busy); });
    m_session.Link().SetListener(this);
    m_session.Link().SetProgressReceiver(this);
}

CInstallerCore::~CInstallerCore()
{
    // No refresh may start now, and one already running is waited for before its timer goes.
    m_bClosing = true;
    m_runner.Close();
    {
        auto hold = m_session.HoldLink();
        m_session.Link().SetListener(nullptr);
    }
    // The timer's handler reads m_keepAlive itself: the pointer stays until the members go, and
    // only the timer's thread is ended here.
    m_keepAlive->Shutdown();
    m_runner.SetBusyListener(nullptr);
    if (m_session.Link().IsOpen())
        m_session.Link().ClosePort();
}

bool CInstallerCore::OpenLog(const std::string& path)
{
    // With "l1" the manager keeps every line and the job's result even when its file cannot be
    // written: unattended callers still get the job result code.
    m_messages.SetLogging(true);
    return m_logManager.OpenLog(path);
}

bool CInstallerCore::BeginJob()
{
    std::lock_guard guard(m_messages.Lock());
    return m_logManager.BeginJob();
}

bool CInstallerCore::BeginTask()
{
    std::lock_guard guard(m_messages.Lock());
    return m_logManager.BeginTask();
}

bool CInstallerCore::EndTask()
{
    std::lock_guard guard(m_messages.Lock());
    return m_logManager.EndTask();
}

std::vector<std::unique_ptr<ILogMsg>> CInstallerCore::TakeLoggedMessages()
{
    std::lock_guard guard(m_messages.Lock());
    return m_logManager.TakeMessages();
}

int CInstallerCore::EndJob()
{
    std::lock_guard guard(m_messages.Lock());
    const int result = m_logManager.GetJobResult();
    m_logManager.EndJob();
    return result;
}

std::vector<ComPortChoice> CInstallerCore::FillComPortList()
{
    std::vector<ComPortChoice> ports;
    for (const ComPortEntry& port : ListComPorts())
        ports.push_back({"COM" + std::to_string(port.number), port.number});
    // The list sorts as text, so COM10 comes before COM2.
    std::sort(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return a.strName < b.strName; });
    return ports;
}

bool CInstallerCore::SendFileToSign(int address, const std::string& name, const unsigned char* data,
                                    unsigned long size, bool compress, std::span<const unsigned char> packed)
{
    auto hold = m_session.HoldLink();
    CS22SignLink& link = m_session.Link();
    m_strSending = name;
    const auto to = static_cast<unsigned char>(address);
    const short result =
        packed.empty()
            ? link.SendCompressedFile(to, name, data, size, nullptr, 0, compress)
            : link.SendPackedFile(to, name, packed.data(), static_cast<unsigned long>(packed.size()), size, nullptr, 0);
    if (result == S22NET_OK)
        return true;
    if (result == ERR_SIGN_NO_RESPONSE && m_session.IsFirmwareLine() && NamesFirmwareFamily(name, true))
        return true;
    if (result != ERR_SIGN_ABORT) {
        // The task line says only that it failed; where and why helps whoever is on the ladder.
        std::string reason = S22ResultText(result);
        if (!reason.empty() && reason.back() == '\n')
            reason.pop_back();
        char detail[200];
        std::snprintf(detail, sizeof detail, "Sending %s stopped after %u of %u blocks (%s).", name.c_str(),
                      static_cast<unsigned>(link.GetTransferFigures().blocksDone), static_cast<unsigned>(link.GetTransferFigures().blocksTotal),
                      reason.c_str());
        AddStatusMessage(detail);
    }
    return false;
}

// Keep-alive.

void CInstallerCore::BeginBusy()
{
    if (!m_bClosing)
        m_keepAlive->Stop();
}

void CInstallerCore::EndBusy()
{
    RearmKeepAlive();
}

void CInstallerCore::OnTransferStart(unsigned long totalBlocks)
{
    COperationProgress& progress = m_runner.Progress();
    progress.BeginStep(0, totalBlocks);
    progress.Transfer(m_strSending, 0, m_session.Link().GetTransferFigures().sendSize);
    m_adapterWatch.Start(m_session.Link().LineMeter(), totalBlocks);
}

void CInstallerCore::OnBlockSent()
{
    const CS22SignLink& link = m_session.Link();
    COperationProgress& progress = m_runner.Progress();
    progress.Advance();
    const unsigned long total = link.GetTransferFigures().sendSize;
    // Blocks done count the start frame; each data block carries 246 bytes, the last the rest.
    const unsigned long blocks = link.GetTransferFigures().blocksDone;
    const unsigned long done = blocks > 0 ? (blocks - 1) * 246 : 0;
    progress.Transfer(m_strSending, std::min(done, total), total);
    const std::string slow = m_adapterWatch.BlockSent(link.LineMeter(), blocks, m_session.Link().Port().GetComPort());
    if (!slow.empty())
        AddStatusMessage(slow);
}

void CInstallerCore::OnKeepAlive()
{
    CS22SignLink& link = m_session.Link();
    {
        std::unique_lock job(m_session.LinkLock(), std::try_to_lock);
        if (m_bClosing)
            return;
        if (!job.owns_lock() || m_runner.IsBusy()) {
            // Another operation is running: its exchanges keep the line alive, and should it
            // make none (it waits on the operator), the line is looked at again a period later.
            RearmKeepAlive();
            return;
        }
        if (!link.IsOpen()) {
            m_keepAlive->Stop();
            return;
        }
    }
    // An operation that began since is left alone: it keeps the line alive itself.
    m_runner.RunIfIdle([&] {
        if (!link.IsOpen())
            return; // closed in the meantime
        m_runner.Progress().Text("Refreshing sign connection");
        m_connector.RetrieveStatus(m_session.StatusDoc(), m_session.Address());
    });
    // A view may not run the refresh just now (a window with a box open), and then no exchange
    // re-arms the timer: without this the line would never be refreshed again.
    std::unique_lock job(m_session.LinkLock(), std::try_to_lock);
    if (!job.owns_lock() || link.IsOpen())
        RearmKeepAlive();
}

void CInstallerCore::RearmKeepAlive()
{
    if (!m_bClosing)
        m_keepAlive->Start(std::chrono::milliseconds(ScaledMs(kKeepAliveMs)));
}
