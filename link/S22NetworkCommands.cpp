// The command set of CS22Network: basic commands (code in data byte 0), extended commands
// (0x80, then the code) and the frame-level operations.
#include "link/S22Network.h"

#include "link/S22CommandBuffer.h"
#include "link/S22ExtendedRequests.h"
#include "link/S22NetInternal.h"

#include <cstring>

namespace {

constexpr int kBasicStatus = 1;    // reply status byte of basic commands
constexpr int kExtendedStatus = 2; // reply status byte of extended commands
constexpr int kGetStatusStatus = 80;
constexpr std::size_t kNameOffsetBasic = 2;

// code, option in byte 1, name in bytes 2-18.
CS22CommandBuffer BasicNamed(unsigned char code, std::size_t size, unsigned char option, const char* name)
{
    auto request = CS22CommandBuffer::Basic(code, size);
    request.PutByte(1, option);
    request.PutName(kNameOffsetBasic, S22_BASIC_NAME_FIELD, name);
    return request;
}

S22Result Basic(CS22NetInternal& engine, unsigned char addr, const CS22CommandBuffer& request, resp_s* resp,
                bool needsOneController = false)
{
    return engine.Command(addr, needsOneController, request, resp, sizeof(resp_s), kBasicStatus);
}

S22Result Extended(CS22NetInternal& engine, unsigned char addr, const CS22CommandBuffer& request, m2_resp_s* resp)
{
    return engine.Command(addr, false, request, resp, sizeof(m2_resp_s), kExtendedStatus);
}

} // namespace

// Basic commands.

short CS22Network::SetConfiguration(unsigned char addr, const char* name, unsigned short w1, unsigned short w2,
                                    unsigned short w3, unsigned char b1, unsigned char b2, unsigned short w4,
                                    resp_s* resp, unsigned char option)
{
    auto request = CS22CommandBuffer::Basic(1, 66);
    request.PutByte(1, option);
    request.PutCutName(2, 20, 17, name);
    request.PutWord(22, w1);
    request.PutWord(24, w2);
    request.PutWord(26, w3);
    request.PutByte(28, b1);
    request.PutByte(29, b2);
    request.PutWord(30, w4);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::GetStatus(unsigned char addr, resp_get_status_s* resp, unsigned char option)
{
    auto request = CS22CommandBuffer::Basic(2, 8);
    request.PutByte(1, option);
    return m_pInternal->Command(addr, true, request, resp, sizeof(resp_get_status_s), kGetStatusStatus);
}

short CS22Network::RunMessage(unsigned char addr, const char* name, resp_s* resp, unsigned char option)
{
    return Basic(*m_pInternal, addr, BasicNamed(6, 32, option, name), resp);
}

short CS22Network::RunMessageNumTimes(unsigned char addr, const char* name, unsigned char count, resp_s* resp,
                                      unsigned char option)
{
    auto request = BasicNamed(6, 32, option, name);
    request.PutByte(19, count);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::RunMessageASAP(unsigned char addr, const char* name, resp_s* resp, unsigned char option)
{
    auto request = BasicNamed(6, 32, option, name);
    request.PutByte(20, 1);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::MDCRunMsg(unsigned char addr, const char* name, unsigned char b1, unsigned char b2, resp_s* resp,
                             unsigned char option)
{
    auto request = BasicNamed(6, 32, option, name);
    request.PutByte(19, b1);
    request.PutByte(20, b2);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::StopMessage(unsigned char addr, const char* name, resp_s* resp, unsigned char option)
{
    return Basic(*m_pInternal, addr, BasicNamed(7, 32, option, name), resp);
}

short CS22Network::RemoveMessage(unsigned char addr, const char* name, resp_s* resp, unsigned char option)
{
    return Basic(*m_pInternal, addr, BasicNamed(10, 32, option, name), resp);
}

short CS22Network::RunSchedule(unsigned char addr, bool flag, resp_s* resp, unsigned char option)
{
    auto request = CS22CommandBuffer::Basic(12, 8);
    request.PutByte(1, flag ? 2 : option);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::StopSchedule(unsigned char addr, resp_s* resp, unsigned char option)
{
    auto request = CS22CommandBuffer::Basic(13, 8);
    request.PutByte(1, option);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::SetDimming(unsigned char addr, unsigned char b1, unsigned char b2, resp_s* resp)
{
    auto request = CS22CommandBuffer::Basic(14, 8);
    request.PutByte(1, b1);
    request.PutByte(2, b2);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::BlankSign(unsigned char addr, resp_s* resp, unsigned char option)
{
    auto request = CS22CommandBuffer::Basic(15, 8);
    request.PutByte(1, option);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::SetTime(unsigned char addr, const time_s* time, resp_s* resp, unsigned char option)
{
    auto request = CS22CommandBuffer::Basic(16, 16);
    request.PutByte(1, option);
    request.PutBytes(2, time, sizeof(time_s));
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::TestPattern(unsigned char addr, unsigned char pattern, resp_s* resp)
{
    auto request = CS22CommandBuffer::Basic(17, 8);
    request.PutByte(1, pattern);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::ResetSign(unsigned char addr, unsigned char b1, bool flag, resp_s* resp)
{
    auto request = CS22CommandBuffer::Basic(18, 8);
    request.PutByte(1, b1);
    request.PutByte(2, flag ? 1 : 0);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::SetCounter(unsigned char addr, const counter_info_s* info, resp_s* resp)
{
    auto request = CS22CommandBuffer::Basic(21, 48);
    request.PutBytes(1, info, sizeof(counter_info_s));
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::SetDefaultMessage(unsigned char addr, bool flag, const char* name, resp_s* resp)
{
    return Basic(*m_pInternal, addr, BasicNamed(23, 32, flag ? 1 : 0, name), resp);
}

short CS22Network::EraseFirmware(unsigned char addr, resp_s* resp, unsigned char option)
{
    auto request = CS22CommandBuffer::Basic(25, 8);
    request.PutByte(1, option);
    return Basic(*m_pInternal, addr, request, resp, true);
}

short CS22Network::RemoveGraphic(unsigned char addr, const char* name, resp_s* resp, unsigned char option)
{
    return Basic(*m_pInternal, addr, BasicNamed(30, 32, option, name), resp);
}

short CS22Network::SetSoftwareAddress(unsigned char addr, unsigned char newAddress, resp_s* resp,
                                      unsigned char option)
{
    auto request = CS22CommandBuffer::Basic(31, 8);
    request.PutByte(1, option);
    request.PutByte(2, newAddress);
    return Basic(*m_pInternal, addr, request, resp, true);
}

short CS22Network::SetTempOffset(unsigned char addr, short offset, resp_s* resp, unsigned char option)
{
    auto request = CS22CommandBuffer::Basic(32, 8);
    request.PutByte(1, option);
    request.PutWord(2, static_cast<unsigned short>(offset));
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::SetLineFreqMode(unsigned char addr, short mode, resp_s* resp, unsigned char option)
{
    auto request = CS22CommandBuffer::Basic(34, 8);
    request.PutByte(1, option);
    request.PutWord(2, static_cast<unsigned short>(mode));
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::StartCounter(unsigned char addr, unsigned char counter, bool flag, resp_s* resp)
{
    auto request = CS22CommandBuffer::Basic(35, 8);
    request.PutByte(1, counter);
    request.PutByte(2, flag ? 1 : 0);
    return Basic(*m_pInternal, addr, request, resp);
}

short CS22Network::StopCounter(unsigned char addr, unsigned char counter, resp_s* resp)
{
    auto request = CS22CommandBuffer::Basic(36, 8);
    request.PutByte(1, counter);
    return Basic(*m_pInternal, addr, request, resp);
}

// Extended commands.

short CS22Network::M2RenameFile(unsigned char addr, const char* oldName, const char* newName, m2_resp_s* resp,
                                unsigned char option)
{
    auto request = S22ExtendedNamed(3, 232, option, oldName);
    request.PutName(113, S22_EXTENDED_NAME_FIELD, newName);
    return Extended(*m_pInternal, addr, request, resp);
}

short CS22Network::M2DeleteFile(unsigned char addr, const char* name, m2_resp_s* resp, unsigned char option)
{
    return Extended(*m_pInternal, addr, S22DeleteFileRequest(name, option), resp);
}

short CS22Network::M2RunMessage(unsigned char addr, const char* name, unsigned char b1, unsigned char b2,
                                unsigned char b3, unsigned char b4, unsigned char b5, unsigned char b6,
                                unsigned long dword, m2_resp_s* resp, unsigned char option)
{
    return Extended(*m_pInternal, addr, S22RunMessageRequest(name, b1, b2, b3, b4, b5, b6, dword, option), resp);
}

short CS22Network::M2StopMessage(unsigned char addr, const char* name, unsigned long dword, m2_resp_s* resp,
                                 unsigned char option)
{
    auto request = S22ExtendedNamed(8, 130, option, name);
    request.PutDword(113, static_cast<std::uint32_t>(dword));
    return Extended(*m_pInternal, addr, request, resp);
}

short CS22Network::M2MoveMessage(unsigned char addr, const char* name, unsigned char b1, unsigned long dword,
                                 m2_resp_s* resp, unsigned char option)
{
    auto request = S22ExtendedNamed(9, 128, option, name);
    request.PutDword(113, static_cast<std::uint32_t>(dword));
    request.PutByte(117, b1);
    return Extended(*m_pInternal, addr, request, resp);
}

short CS22Network::M2BlankDisplay(unsigned char addr, unsigned char b1, m2_resp_s* resp)
{
    return Extended(*m_pInternal, addr, S22BlankDisplayRequest(b1), resp);
}

short CS22Network::M2ResetDisplay(unsigned char addr, unsigned char b1, unsigned char b2, m2_resp_s* resp)
{
    return Extended(*m_pInternal, addr, S22ResetDisplayRequest(b1, b2), resp);
}

short CS22Network::M2RunSchedule(unsigned char addr, const char* name, m2_resp_s* resp, unsigned char option)
{
    return Extended(*m_pInternal, addr, S22ExtendedNamed(12, 120, option, name), resp);
}

short CS22Network::M2StopSchedule(unsigned char addr, const char* name, m2_resp_s* resp, unsigned char option)
{
    return Extended(*m_pInternal, addr, S22ExtendedNamed(13, 120, option, name), resp);
}

short CS22Network::M2SetDimming(unsigned char addr, unsigned char b1, unsigned char b2, m2_resp_s* resp)
{
    auto request = CS22CommandBuffer::Extended(14, 8);
    request.PutByte(2, b1);
    request.PutByte(3, b2);
    return Extended(*m_pInternal, addr, request, resp);
}

short CS22Network::M2SetTime(unsigned char addr, unsigned long time, m2_resp_s* resp, unsigned char option)
{
    return Extended(*m_pInternal, addr, S22SetTimeRequest(time, option), resp);
}

short CS22Network::M2SetDisplayMode(unsigned char addr, unsigned char b1, unsigned char b2, m2_resp_s* resp)
{
    return Extended(*m_pInternal, addr, S22SetDisplayModeRequest(b1, b2), resp);
}

short CS22Network::M2SelectFrame(unsigned char addr, unsigned char b1, unsigned short word, const char* name,
                                 m2_resp_s* resp)
{
    auto request = CS22CommandBuffer::Extended(22, 128);
    request.PutByte(2, b1);
    request.PutWord(4, word);
    request.PutName(6, S22_EXTENDED_NAME_FIELD, name);
    return Extended(*m_pInternal, addr, request, resp);
}

short CS22Network::M2GetRunningMessage(unsigned char addr, unsigned char option, char* name, unsigned short& w,
                                       unsigned long /*unused*/, unsigned char& status)
{
    auto request = CS22CommandBuffer::Extended(23, 8);
    request.PutByte(2, option);
    return m_pInternal->RunCommand(addr, false, [&] {
        const S22Result result = m_pInternal->Transact(addr, request, nullptr, 0, -1);
        if (result != S22NET_OK || IsBroadcastAddress(addr))
            return result;
        const unsigned char* reply = m_pInternal->LastReply().Data();
        status = reply[2];
        if (name != nullptr)
            std::memcpy(name, reply + 3, S22_EXTENDED_NAME_FIELD);
        w = S22ReadWord(reply + 117);
        return result;
    });
}

// Frame-level operations.

namespace {

S22Result FrameOperation(CS22NetInternal& engine, unsigned char addr, unsigned char type, const unsigned char* data,
                         unsigned char length)
{
    return engine.RunCommand(addr, true, [&] {
        S22Request request;
        request.address = addr;
        request.type = type;
        request.data = data;
        request.length = length;
        return engine.Exchange(request);
    });
}

} // namespace

short CS22Network::EnableBroadcastAddress(unsigned char addr, unsigned char broadcast)
{
    return FrameOperation(*m_pInternal, addr, S22_TYPE_ENABLE_BROADCAST, &broadcast, 1);
}

short CS22Network::DisableBroadcastAddress(unsigned char addr, unsigned char broadcast)
{
    return FrameOperation(*m_pInternal, addr, S22_TYPE_DISABLE_BROADCAST, &broadcast, 1);
}

short CS22Network::GetEnableBroadcastAddress(unsigned char addr, unsigned short& value)
{
    const S22Result result = FrameOperation(*m_pInternal, addr, S22_TYPE_QUERY_BROADCAST, nullptr, 0);
    if (result == S22NET_OK)
        value = S22ReadWord(m_pInternal->LastReply().Data());
    return result;
}

short CS22Network::SetBaudRate(unsigned char addr, unsigned long baud)
{
    const unsigned char rate[4] = {static_cast<unsigned char>(baud), static_cast<unsigned char>(baud >> 8),
                                   static_cast<unsigned char>(baud >> 16), static_cast<unsigned char>(baud >> 24)};
    return FrameOperation(*m_pInternal, addr, S22_TYPE_SET_BAUD, rate, 4);
}
