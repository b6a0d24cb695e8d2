#include "verify/SignOperations.h"

#include "link/S22SignLink.h"

#include <limits>

namespace {

constexpr unsigned char kOption = 0;

unsigned long SizeOf(std::span<const unsigned char> bytes)
{
    // A link send carries at most 32 bits of size; nothing the steps send comes near it.
    return bytes.size() > std::numeric_limits<unsigned long>::max() ? 0 : static_cast<unsigned long>(bytes.size());
}

} // namespace

CLinkSignOperations::CLinkSignOperations(CS22SignLink& link, int address, std::function<bool()> cancelled)
    : m_link(link), m_nAddress(static_cast<unsigned char>(address)), m_cancelled(std::move(cancelled))
{
}

short CLinkSignOperations::SendFile(const std::string& name, std::span<const unsigned char> bytes)
{
    return m_link.SendFile(m_nAddress, name, bytes.data(), SizeOf(bytes), nullptr, kOption);
}

short CLinkSignOperations::SendCompressedFile(const std::string& name, std::span<const unsigned char> bytes)
{
    return m_link.SendCompressedFile(m_nAddress, name, bytes.data(), SizeOf(bytes), nullptr, kOption, true);
}

short CLinkSignOperations::RunMessage(const std::string& name, unsigned char b6)
{
    return m_link.RunMessage(m_nAddress, name, 0, 0, 1, 0, 0, b6, 0, nullptr, kOption);
}

short CLinkSignOperations::RemoveFile(const std::string& name)
{
    return m_link.DeleteFile(m_nAddress, name, nullptr, kOption);
}

short CLinkSignOperations::BlankDisplay()
{
    return m_link.BlankDisplay(m_nAddress, 0, nullptr);
}

short CLinkSignOperations::SetTime(std::uint32_t secondsSince1970)
{
    return m_link.SetTime(m_nAddress, secondsSince1970, nullptr, kOption);
}

std::optional<std::string> CLinkSignOperations::GetFile(const std::string& name)
{
    short result = S22NET_OK;
    const unsigned char* data = m_link.GetFile(m_nAddress, name, result, nullptr, kOption);
    if (result != S22NET_OK)
        return std::nullopt;
    if (data == nullptr)
        return std::string(); // an empty file
    return std::string(reinterpret_cast<const char*>(data), m_link.GetTransferFigures().retrievedSize);
}

bool CLinkSignOperations::IsCancelled() const
{
    return m_cancelled && m_cancelled();
}
