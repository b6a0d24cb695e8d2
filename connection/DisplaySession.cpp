#include "connection/DisplaySession.h"

std::string CDisplaySession::GetFirmwareVersion()
{
    std::lock_guard link(m_linkLock);
    return ::GetFirmwareVersion(m_statusDoc);
}

void CDisplaySession::ShowDisplayInfo()
{
    std::lock_guard link(m_linkLock);
    const auto config = BuildConfigRows(m_configDoc, m_summary, m_signType);
    const auto status = BuildStatusRows(m_statusDoc);
    m_view.ShowDisplayLists(config, status);
}

SessionState CDisplaySession::State() const
{
    std::lock_guard guard(m_stateLock);
    return m_state;
}

void CDisplaySession::MarkConnected(int port, int address)
{
    {
        std::lock_guard guard(m_stateLock);
        m_state.bConnected = true;
        m_state.nPort = port;
        m_state.nAddress = address;
        ++m_state.nPlaced;
    }
    Publish();
}

void CDisplaySession::ShowLine(int port)
{
    {
        std::lock_guard guard(m_stateLock);
        m_state.nPort = port;
        ++m_state.nPlaced;
    }
    Publish();
}

void CDisplaySession::ShowAddress(int address)
{
    {
        std::lock_guard guard(m_stateLock);
        m_state.nAddress = address;
        ++m_state.nPlaced;
    }
    Publish();
}

int CDisplaySession::Address() const
{
    std::lock_guard guard(m_stateLock);
    return m_state.nAddress;
}

void CDisplaySession::SetBusy(bool busy)
{
    {
        std::lock_guard guard(m_stateLock);
        m_state.bBusy = busy;
    }
    Publish();
}

short CDisplaySession::Disconnect()
{
    short result = 0;
    {
        std::lock_guard link(m_linkLock);
        result = m_link.ClosePort();
    }
    Publish();
    return result;
}

void CDisplaySession::CloseLink()
{
    {
        std::lock_guard link(m_linkLock);
        if (m_link.IsOpen())
            m_link.ClosePort();
    }
    Publish();
}

void CDisplaySession::Publish()
{
    std::lock_guard show(m_showLock);
    SessionState state;
    {
        std::lock_guard guard(m_stateLock);
        // A display stays connected only while its link is open.
        if (m_state.bConnected && !m_link.IsOpen())
            m_state.bConnected = false;
        // nVersion is the same in both until a new state is shown.
        if (m_state == m_shown)
            return;
        ++m_state.nVersion;
        m_shown = m_state;
        state = m_state;
    }
    m_view.ShowSessionState(state);
}
