#include "link/S22NetAbstractPort.h"

void CS22NetAbstractPort::SetTimeOut(unsigned long ms)
{
    m_nTimeOut = ms;
    m_bTimeOutsStale = true;
}

void CS22NetAbstractPort::SetEventHandler(CS22NetworkEvents* handler, short handlerId)
{
    m_pEventHandler = handler;
    m_nHandlerId = handlerId;
}

long CS22NetAbstractPort::GetLastError(const char** text) const
{
    if (text != nullptr)
        *text = m_strLastError.c_str();
    return m_nLastError;
}
