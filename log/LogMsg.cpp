#include "log/LogMsg.h"

void ILogMsg::CopyFrom(const ILogMsg* source)
{
    if (source != nullptr)
        m_nType = source->GetType();
}

void ILogErrorMsg::CopyFrom(const ILogMsg* source)
{
    ILogMsg::CopyFrom(source);
    const auto* error = dynamic_cast<const ILogErrorMsg*>(source);
    if (error != nullptr && source->GetType() == TYPE_ERROR)
        m_nErrorCode = error->GetErrorCode();
}

void CLogMsg::CopyFrom(const ILogMsg* source)
{
    if (source != nullptr)
        m_strText = source->GetText();
}

CLogErrorMsg::CLogErrorMsg(const ILogErrorMsg& other)
    : m_strText(other.GetText()), m_nTaskError(other.GetTaskError())
{
    m_nErrorCode = other.GetErrorCode();
}

void CLogErrorMsg::CopyFrom(const ILogMsg* source)
{
    const auto* error = dynamic_cast<const ILogErrorMsg*>(source);
    if (error == nullptr)
        return;
    m_strText = error->GetText();
    m_nTaskError = error->GetTaskError();
    m_nErrorCode = error->GetErrorCode();
}
