// The commands and file transfers the tool sends through its sign link.
#include "link/S22SignLink.h"

#include "link/S22CommandBuffer.h"
#include "link/S22Compress.h"
#include "link/S22ExtendedRequests.h"


namespace {

constexpr int kExtendedStatus = 2;

} // namespace

S22Result CS22SignLink::FramedCommand(unsigned char address, const CS22CommandBuffer& request, void* record,
                                      std::size_t recordSize, int statusOffset, bool checkReset)
{
    if (!request.IsValid())
        return ERR_COMMAND_BAD_ARGUMENT;
    return RunFramed(
        address,
        [&] {
            const S22Result result = Exchange(S22Request::Command(address, request.Data(), request.Length()));
            if (result != S22NET_OK)
                return result;
            S22CopyReply(m_received, record, recordSize);
            if (statusOffset >= 0 && m_received.Data()[statusOffset] != 0)
                return ERR_SIGN_RESPONSE_ERROR;
            return S22NET_OK;
        },
        checkReset);
}

S22Result CS22SignLink::ResetDisplay(unsigned char address, unsigned char b1, unsigned char b2, m2_resp_s* resp)
{
    return FramedCommand(address, S22ResetDisplayRequest(b1, b2), resp, sizeof(m2_resp_s), kExtendedStatus);
}

S22Result CS22SignLink::BlankDisplay(unsigned char address, unsigned char b1, m2_resp_s* resp)
{
    return FramedCommand(address, S22BlankDisplayRequest(b1), resp, sizeof(m2_resp_s), kExtendedStatus);
}

S22Result CS22SignLink::SetTime(unsigned char address, unsigned long time, m2_resp_s* resp, unsigned char option)
{
    return FramedCommand(address, S22SetTimeRequest(time, option), resp, sizeof(m2_resp_s), kExtendedStatus);
}

S22Result CS22SignLink::SetDisplayMode(unsigned char address, unsigned char b1, unsigned char b2, m2_resp_s* resp)
{
    return FramedCommand(address, S22SetDisplayModeRequest(b1, b2), resp, sizeof(m2_resp_s), kExtendedStatus,
                         false);
}

S22Result CS22SignLink::RunMessage(unsigned char address, const char* name, unsigned char b1, unsigned char b2,
                                   unsigned char b3, unsigned char b4, unsigned char b5, unsigned char b6,
                                   unsigned long dword, m2_resp_run_message_s* resp, unsigned char option)
{
    return FramedCommand(address, S22RunMessageRequest(name, b1, b2, b3, b4, b5, b6, dword, option), resp,
                         sizeof(m2_resp_run_message_s), kExtendedStatus);
}

S22Result CS22SignLink::RunMessage(unsigned char address, const std::string& name, unsigned char b1, unsigned char b2,
                                   unsigned char b3, unsigned char b4, unsigned char b5, unsigned char b6,
                                   unsigned long dword, m2_resp_run_message_s* resp, unsigned char option)
{
    return RunMessage(address, name.c_str(), b1, b2, b3, b4, b5, b6, dword, resp, option);
}

S22Result CS22SignLink::DeleteFile(unsigned char address, S22FileName name, m2_resp_s* resp, unsigned char option)
{
    return FramedCommand(address, S22DeleteFileRequest(name.c_str(), option), resp, sizeof(m2_resp_s),
                         kExtendedStatus);
}

void CS22SignLink::TransferBegins(unsigned short total)
{
    m_nBlocksDone = 0;
    m_nBlocksTotal = total;
}

void CS22SignLink::StartFrameDone(unsigned short done, unsigned short total)
{
    m_nBlocksDone = done;
    m_nBlocksTotal = total;
}

void CS22SignLink::BlockDone(unsigned short done, unsigned short total)
{
    m_nBlocksDone = done;
    m_nBlocksTotal = total;
}

S22Result CS22SignLink::SendStarted(unsigned char address, const CS22CommandBuffer& start, const unsigned char* data,
                                    unsigned long size, m2_resp_send_file_s* resp)
{
    if (!start.IsValid() || S22BlockCount(size, S22_FILE_BLOCK) < 0)
        return ERR_COMMAND_BAD_ARGUMENT;
    m_nSendSize = size;
    // The receiver hears of sends only; gets keep their counters for polling.
    struct Reporter final : IS22TransferSink {
        CS22SignLink& link;
        explicit Reporter(CS22SignLink& l) : link(l) {}
        void TransferBegins(unsigned short total) override
        {
            link.TransferBegins(total);
            if (link.m_pProgress != nullptr)
                link.m_pProgress->OnTransferStart(total);
        }
        void StartFrameDone(unsigned short done, unsigned short total) override { link.StartFrameDone(done, total); }
        void BlockDone(unsigned short done, unsigned short total) override
        {
            link.BlockDone(done, total);
            if (link.m_pProgress != nullptr)
                link.m_pProgress->OnBlockSent();
        }
    } reporter(*this);
    return RunFramed(address, [&] {
        return S22SendBlocks(*this, reporter, address, start, resp, sizeof(m2_resp_send_file_s), kExtendedStatus,
                             S22FileBlocks(), data, size);
    });
}

S22Result CS22SignLink::SendFile(unsigned char address, const char* name, const unsigned char* data, unsigned long size,
                                 m2_resp_send_file_s* resp, unsigned char option)
{
    return SendStarted(address, S22FileSendStart(1, option, name, size), data, size, resp);
}

S22Result CS22SignLink::SendFile(unsigned char address, const std::string& name, const unsigned char* data,
                                 unsigned long size, m2_resp_send_file_s* resp, unsigned char option)
{
    return SendFile(address, name.c_str(), data, size, resp, option);
}

S22Result CS22SignLink::SendCompressedFile(unsigned char address, const char* name, const unsigned char* data,
                                           unsigned long size, m2_resp_send_file_s* resp, unsigned char option,
                                           bool compress)
{
    if (size > 0 && data == nullptr)
        return ERR_COMMAND_BAD_ARGUMENT;
    std::vector<unsigned char> sent;
    if (compress) {
        if (!S22CompressStream(data, size, sent))
            return ERR_COMMAND_BAD_ARGUMENT;
    } else if (size > 0) {
        sent.assign(data, data + size);
    }
    return SendPackedFile(address, name, sent.data(), static_cast<unsigned long>(sent.size()), size, resp, option);
}

S22Result CS22SignLink::SendCompressedFile(unsigned char address, const std::string& name, const unsigned char* data,
                                           unsigned long size, m2_resp_send_file_s* resp, unsigned char option,
                                           bool compress)
{
    return SendCompressedFile(address, name.c_str(), data, size, resp, option, compress);
}

S22Result CS22SignLink::SendPackedFile(unsigned char address, const char* name, const unsigned char* stream,
                                       unsigned long streamSize, unsigned long imageSize, m2_resp_send_file_s* resp,
                                       unsigned char option)
{
    if (streamSize > 0 && stream == nullptr)
        return ERR_COMMAND_BAD_ARGUMENT;
    // The start gives the size on the line and, at 125, the size the controller inflates it to.
    auto start = S22FileSendStart(20, option, name, streamSize);
    start.PutDword(125, static_cast<std::uint32_t>(imageSize));
    return SendStarted(address, start, stream, streamSize, resp);
}

S22Result CS22SignLink::SendPackedFile(unsigned char address, const std::string& name, const unsigned char* stream,
                                       unsigned long streamSize, unsigned long imageSize, m2_resp_send_file_s* resp,
                                       unsigned char option)
{
    return SendPackedFile(address, name.c_str(), stream, streamSize, imageSize, resp, option);
}

unsigned char* CS22SignLink::GetFile(unsigned char address, const char* name, short& result,
                                     m2_resp_retrieve_file_s* resp, unsigned char option)
{
    const auto start = S22FileGetStart(option, name);
    if (!start.IsValid()) {
        result = ERR_COMMAND_BAD_ARGUMENT;
        return nullptr;
    }
    result = RunFramed(address, [&] {
        return S22GetBlocks(*this, *this, address, start, resp, S22FileAnnouncement(), S22FileRequests(),
                            m_retrieved);
    });
    m_nRetrievedSize = static_cast<unsigned long>(m_retrieved.size());
    return result == S22NET_OK && !m_retrieved.empty() ? m_retrieved.data() : nullptr;
}

unsigned char* CS22SignLink::GetFile(unsigned char address, const std::string& name, short& result,
                                     m2_resp_retrieve_file_s* resp, unsigned char option)
{
    return GetFile(address, name.c_str(), result, resp, option);
}
