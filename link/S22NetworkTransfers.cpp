// Multi-block transfers of CS22Network: extended file send and get, the basic message, schedule
// and list transfers, real-time data and graphics.
#ifdef _WIN32
// With <windows.h>'s SendMessage and GetMessage macros out of the way, this unit also sees the
// forwarding SendMessage and GetMessage of S22Network.h and so exports them, for callers built
// without the macros whose compiler calls the library's copy of an inline member.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef SendMessage
#undef GetMessage
#endif
#include "link/S22Network.h"

#include "base/LocalTime.h"
#include "link/S22CommandBuffer.h"
#include "link/S22ExtendedRequests.h"
#include "link/S22NetGraphic.h"
#include "link/S22NetInternal.h"
#include "link/S22Transfer.h"

#include <algorithm>
#include <ctime>

namespace {

constexpr std::size_t kMessageBlock = 247;

// Seconds, minutes, hours, day, month 1-12 and year - 1900 of the local time now; 0xFF each when
// the local time cannot be had.
void PutLocalTime(CS22CommandBuffer& request, std::size_t offset)
{
    const std::time_t now = std::time(nullptr);
    struct tm local {};
    if (now == static_cast<std::time_t>(-1) || !qvxbase::LocalTimeOf(now, local)) {
        for (std::size_t i = 0; i < 6; ++i)
            request.PutByte(offset + i, 0xFF);
        return;
    }
    request.PutByte(offset, static_cast<unsigned char>(local.tm_sec));
    request.PutByte(offset + 1, static_cast<unsigned char>(local.tm_min));
    request.PutByte(offset + 2, static_cast<unsigned char>(local.tm_hour));
    request.PutByte(offset + 3, static_cast<unsigned char>(local.tm_mday));
    request.PutByte(offset + 4, static_cast<unsigned char>(local.tm_mon + 1));
    request.PutByte(offset + 5, static_cast<unsigned char>(local.tm_year));
}

// The 64-byte start of the basic sends (messages, schedules, graphics).
CS22CommandBuffer BasicSendStart(unsigned char code, unsigned char byte1, const char* name, unsigned long size)
{
    auto start = CS22CommandBuffer::Basic(code, 64);
    start.PutByte(1, byte1);
    start.PutName(2, S22_BASIC_NAME_FIELD, name);
    PutLocalTime(start, 19);
    const long count = S22BlockCount(size, kMessageBlock);
    start.PutWord(25, static_cast<std::uint16_t>(count < 0 ? 0 : count));
    start.PutWord(27, kMessageBlock);
    start.PutDword(29, static_cast<std::uint32_t>(size));
    return start;
}

// The basic gets' start: code, option, and a name when the get has one.
CS22CommandBuffer BasicGetStart(unsigned char code, std::size_t size, unsigned char option, const char* name)
{
    auto start = CS22CommandBuffer::Basic(code, size);
    start.PutByte(1, option);
    if (size > 8)
        start.PutName(2, S22_BASIC_NAME_FIELD, name);
    return start;
}

S22Result SendBasic(CS22NetInternal& engine, unsigned char addr, const CS22CommandBuffer& start,
                    const unsigned char* data, long size, void* resp)
{
    if (!start.IsValid() || size < 0)
        return ERR_COMMAND_BAD_ARGUMENT;
    return engine.RunCommand(addr, false, [&] {
        return S22SendBlocks(engine, engine, addr, start, resp, sizeof(resp_s), 1, S22MessageBlocks(), data,
                             static_cast<unsigned long>(size));
    });
}

unsigned char* Get(CS22NetInternal& engine, unsigned char addr, const CS22CommandBuffer& start, void* resp,
                   const S22GetAnnouncement& announcement, const S22BlockLayout& layout, short& result)
{
    if (!start.IsValid()) {
        result = ERR_COMMAND_BAD_ARGUMENT;
        return nullptr;
    }
    result = engine.RunCommand(addr, true, [&] {
        return S22GetBlocks(engine, engine, addr, start, resp, announcement, layout, engine.Retrieved());
    });
    return result == S22NET_OK ? engine.RetrievedData() : nullptr;
}

// Real-time data goes in chunks, each one command with its own header.
struct RtdLayout {
    bool extended;
    std::size_t chunk;        // data bytes per chunk
    std::size_t headerOffset; // the two header words
    std::size_t dataOffset;
    int statusOffset;
};

S22Result SendRtdChunks(CS22NetInternal& engine, unsigned char addr, const RtdLayout& layout,
                        const rtd_header_s* header, short offset, const unsigned char* data, short length, void* resp,
                        unsigned char option)
{
    if (length < 0 || (length > 0 && data == nullptr))
        return ERR_COMMAND_BAD_ARGUMENT;
    return engine.RunCommand(addr, false, [&] {
        S22Result result = S22NET_OK;
        std::size_t sent = 0;
        do {
            const std::size_t chunk = std::min<std::size_t>(layout.chunk, static_cast<std::size_t>(length) - sent);
            auto request = layout.extended ? CS22CommandBuffer::Extended(17, 255)
                                           : CS22CommandBuffer::Basic(22, chunk + 24);
            request.PutByte(layout.extended ? 2 : 1, option);
            if (header != nullptr) {
                request.PutDword(layout.headerOffset, header->word1);
                request.PutDword(layout.headerOffset + 4, header->word2);
            }
            request.PutWord(layout.headerOffset + 8, static_cast<std::uint16_t>(offset + sent));
            request.PutWord(layout.headerOffset + 10, static_cast<std::uint16_t>(chunk));
            request.PutBytes(layout.dataOffset, data + sent, chunk);
            result = engine.Transact(addr, request, resp, sizeof(resp_s), layout.statusOffset);
            sent += chunk;
        } while (result == S22NET_OK && sent < static_cast<std::size_t>(length));
        return result;
    });
}

} // namespace

short CS22Network::M2SendFile(unsigned char addr, const char* name, const unsigned char* data, long size,
                              m2_resp_send_file_s* resp, unsigned char option)
{
    if (size < 0)
        return ERR_COMMAND_BAD_ARGUMENT;
    const auto start = S22FileSendStart(1, option, name, static_cast<unsigned long>(size));
    if (!start.IsValid() || S22BlockCount(static_cast<unsigned long>(size), S22_FILE_BLOCK) < 0)
        return ERR_COMMAND_BAD_ARGUMENT;
    return m_pInternal->RunCommand(addr, false, [&] {
        return S22SendBlocks(*m_pInternal, *m_pInternal, addr, start, resp, sizeof(m2_resp_send_file_s), 2,
                             S22FileBlocks(), data, static_cast<unsigned long>(size));
    });
}

unsigned char* CS22Network::M2GetFile(unsigned char addr, const char* name, short& result,
                                      m2_resp_retrieve_file_s* resp, unsigned char option)
{
    return Get(*m_pInternal, addr, S22FileGetStart(option, name), resp, S22FileAnnouncement(), S22FileRequests(),
               result);
}

// The member names of the exported symbols (see S22Network.h).
#ifdef _WIN32
short CS22Network::SendMessageA(unsigned char addr, const char* name, const unsigned char* data, long size,
                                resp_send_message_s* resp, unsigned char option)
#else
short CS22Network::SendMessage(unsigned char addr, const char* name, const unsigned char* data, long size,
                               resp_send_message_s* resp, unsigned char option)
#endif
{
    const auto start = BasicSendStart(5, option, name, size < 0 ? 0 : static_cast<unsigned long>(size));
    return SendBasic(*m_pInternal, addr, start, data, size, resp);
}

short CS22Network::SendSchedule(unsigned char addr, const char* name, bool a, bool b, const unsigned char* data,
                                long size, resp_send_message_s* resp, unsigned char option)
{
    const auto byte1 = static_cast<unsigned char>(option | (a ? 0x01 : 0) | (b ? 0x02 : 0));
    const auto start = BasicSendStart(11, byte1, name, size < 0 ? 0 : static_cast<unsigned long>(size));
    return SendBasic(*m_pInternal, addr, start, data, size, resp);
}

#ifdef _WIN32
unsigned char* CS22Network::GetMessageA(unsigned char addr, const char* name, short& result,
                                        resp_retrieve_message_s* resp, unsigned char option)
#else
unsigned char* CS22Network::GetMessage(unsigned char addr, const char* name, short& result,
                                       resp_retrieve_message_s* resp, unsigned char option)
#endif
{
    return Get(*m_pInternal, addr, BasicGetStart(8, 32, option, name), resp, S22MessageAnnouncement(),
               S22MessageRequests(), result);
}

unsigned char* CS22Network::GetMessageList(unsigned char addr, short& result, resp_retrieve_list_s* resp,
                                           unsigned char option)
{
    return Get(*m_pInternal, addr, BasicGetStart(9, 8, option, nullptr), resp, S22ListAnnouncement(),
               S22MessageRequests(), result);
}

unsigned char* CS22Network::GetGraphicList(unsigned char addr, short& result, resp_retrieve_list_s* resp,
                                           unsigned char option)
{
    return Get(*m_pInternal, addr, BasicGetStart(27, 8, option, nullptr), resp, S22ListAnnouncement(),
               S22MessageRequests(), result);
}

short CS22Network::SendRTD(unsigned char addr, const rtd_header_s* header, short offset, const unsigned char* data,
                           short length, resp_s* resp, unsigned char option)
{
    const RtdLayout layout{false, 231, 2, 24, 1};
    return SendRtdChunks(*m_pInternal, addr, layout, header, offset, data, length, resp, option);
}

short CS22Network::M2SendRTD(unsigned char addr, const rtd_header_s* header, short offset,
                             const unsigned char* data, short length, m2_resp_s* resp, unsigned char option)
{
    const RtdLayout layout{true, 230, 3, 25, 2};
    return SendRtdChunks(*m_pInternal, addr, layout, header, offset, data, length, resp, option);
}

long CS22Network::GetRetrievedSize() const
{
    return static_cast<long>(m_pInternal->Retrieved().size());
}

short CS22Network::SendGraphic(unsigned char addr, const char* name, const BITMAPINFO* info,
                               const unsigned char* bits, short rows, short columns, short type,
                               resp_send_graphic_s* resp, unsigned char option)
{
    std::vector<unsigned char> planes;
    const S22Result converted = BitmapToGraphic(info, bits, rows, columns, type, planes);
    if (converted != S22NET_OK)
        return converted;
    const auto start = BasicSendStart(26, option, name, static_cast<unsigned long>(planes.size()));
    return SendBasic(*m_pInternal, addr, start, planes.data(), static_cast<long>(planes.size()), resp);
}

unsigned char* CS22Network::GetGraphic(unsigned char addr, const char* name, BITMAPINFO* info, short rows,
                                       short columns, short& result, resp_retrieve_graphic_s* resp,
                                       unsigned char option)
{
    const unsigned char* planes = Get(*m_pInternal, addr, BasicGetStart(37, 32, option, name), resp,
                                      S22MessageAnnouncement(), S22MessageRequests(), result);
    if (planes == nullptr)
        return nullptr;
    std::vector<unsigned char> bitmap;
    result = GraphicToBitmap(planes, m_pInternal->Retrieved().size(), rows, columns, info, bitmap);
    m_pInternal->Retrieved() = std::move(bitmap);
    if (result != S22NET_OK) {
        m_pInternal->Retrieved().clear();
        return nullptr;
    }
    return m_pInternal->RetrievedData();
}
