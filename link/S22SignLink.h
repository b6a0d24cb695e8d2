#pragma once
// The sign link through which the tool's own pages, jobs and tests talk to one display line: an
// embedded serial port, its own exchange loop (up to four tries, no broadcast shortcut, no log),
// and a listener told about busy periods. The serial echo (loop-back) test runs on a link through
// CS22EchoTest (S22EchoTest.h).

#include "link/IPTANetListener.h"
#include "link/S22Exchange.h"
#include "link/S22NetPacket.h"
#include "link/S22NetResult.h"
#include "link/S22NetSerialPort.h"
#include "link/S22Records.h"
#include "link/S22Transfer.h"

#include <atomic>
#include <string>
#include <vector>

// Receives the progress of the link's file sends (a window turns these into its own events).
class IS22ProgressReceiver {
public:
    virtual ~IS22ProgressReceiver() = default;
    // A send begins: blocks to go, the start frame included.
    virtual void OnTransferStart(unsigned long totalBlocks) = 0;
    // One data block was exchanged.
    virtual void OnBlockSent() = 0;
};

// The link's figures of its last exchanges and transfers, read together. Another thread may poll
// them while a transfer runs.
struct S22TransferFigures {
    unsigned short blocksDone = 0;   // blocks of the last transfer exchanged so far
    unsigned short blocksTotal = 0;  // its block count, the start frame included
    unsigned long sendSize = 0;      // bytes the last send put in its blocks (after compression)
    unsigned long retrievedSize = 0; // bytes in the buffer of the last get
    short actualRetries = -1;        // tries after the first in the last exchange
};

// A file name for the link's requests, as a C string or a string object (its characters up to
// the first zero byte).
class S22FileName {
public:
    S22FileName(const char* name) : m_pName(name) {}
    S22FileName(const std::string& name) : m_pName(name.c_str()) {}
    const char* c_str() const { return m_pName; }

private:
    const char* m_pName;
};

// The class keeps its DeleteFile members whether or not <windows.h> came first.
#ifdef _WIN32
#pragma push_macro("DeleteFile")
#undef DeleteFile
#endif

class CS22SignLink final : private IS22Exchanger, private IS22TransferSink {
public:
    static constexpr unsigned long kPortTimeOutMs = 3000;
    static constexpr short kMaxRetries = 3;

    CS22SignLink() = default;
    CS22SignLink(const CS22SignLink&) = delete;
    CS22SignLink& operator=(const CS22SignLink&) = delete;

    // Port control.
    S22Result OpenPort(short comPort, unsigned long baud, unsigned char flag);
    S22Result ClosePort();
    bool IsOpen() const { return m_bOpen; }

    // Abort may be called from any thread; it also cuts a waiting port read short.
    void Abort();
    void ClearAbort();
    void SetListener(IPTANetListener* listener) { m_pListener = listener; }
    IPTANetListener* GetListener() const { return m_pListener; }

    // A sequence-reset exchange: 0 means the controller answered in this protocol.
    S22Result SequenceReset(unsigned char address);
    // Sends the caller's bytes as a command frame; copies up to replyLength reply data bytes (the
    // rest zero) into reply when it is not null. No status byte is checked.
    S22Result GenericCommand(unsigned char address, const void* request, short length, void* reply,
                             short replyLength);

    // Commands (extended; status byte 2). Names longer than 109 characters are refused.
    S22Result ResetDisplay(unsigned char address, unsigned char b1, unsigned char b2, m2_resp_s* resp);
    S22Result BlankDisplay(unsigned char address, unsigned char b1, m2_resp_s* resp);
    S22Result SetTime(unsigned char address, unsigned long time, m2_resp_s* resp, unsigned char option);
    // On first use the link's sequence reset is tried but its result not checked.
    S22Result SetDisplayMode(unsigned char address, unsigned char b1, unsigned char b2, m2_resp_s* resp);
    S22Result RunMessage(unsigned char address, const char* name, unsigned char b1, unsigned char b2, unsigned char b3,
                         unsigned char b4, unsigned char b5, unsigned char b6, unsigned long dword,
                         m2_resp_run_message_s* resp, unsigned char option);
    S22Result RunMessage(unsigned char address, const std::string& name, unsigned char b1, unsigned char b2,
                         unsigned char b3, unsigned char b4, unsigned char b5, unsigned char b6, unsigned long dword,
                         m2_resp_run_message_s* resp, unsigned char option);
    S22Result DeleteFile(unsigned char address, S22FileName name, m2_resp_s* resp, unsigned char option);
#ifdef _WIN32
    // What a caller's DeleteFile becomes under <windows.h>'s macro.
    S22Result DeleteFileA(unsigned char address, S22FileName name, m2_resp_s* resp, unsigned char option)
    {
        return DeleteFile(address, name, resp, option);
    }
#endif

    // File transfer. GetFile returns a buffer owned by the link (valid until the next get) or null
    // with the reason in result (0 with null: the file is empty).
    S22Result SendFile(unsigned char address, const char* name, const unsigned char* data, unsigned long size,
                       m2_resp_send_file_s* resp, unsigned char option);
    S22Result SendFile(unsigned char address, const std::string& name, const unsigned char* data, unsigned long size,
                       m2_resp_send_file_s* resp, unsigned char option);
    // Sends with a compressed start (code 20): the data zlib-compressed when compress is set (the
    // smallest stream, S22Compress.h), else as it is. ERR_SIGN_UNSUPPORTED_COMMAND at once when
    // the controller refuses the start.
    S22Result SendCompressedFile(unsigned char address, const char* name, const unsigned char* data,
                                 unsigned long size, m2_resp_send_file_s* resp, unsigned char option, bool compress);
    S22Result SendCompressedFile(unsigned char address, const std::string& name, const unsigned char* data,
                                 unsigned long size, m2_resp_send_file_s* resp, unsigned char option, bool compress);
    // The same compressed start for a stream made beforehand (a package's own): streamSize bytes
    // of zlib stream sent as they stand, which the controller inflates to imageSize bytes.
    S22Result SendPackedFile(unsigned char address, const char* name, const unsigned char* stream,
                             unsigned long streamSize, unsigned long imageSize, m2_resp_send_file_s* resp,
                             unsigned char option);
    S22Result SendPackedFile(unsigned char address, const std::string& name, const unsigned char* stream,
                             unsigned long streamSize, unsigned long imageSize, m2_resp_send_file_s* resp,
                             unsigned char option);
    unsigned char* GetFile(unsigned char address, const char* name, short& result, m2_resp_retrieve_file_s* resp,
                           unsigned char option);
    unsigned char* GetFile(unsigned char address, const std::string& name, short& result,
                           m2_resp_retrieve_file_s* resp, unsigned char option);
    void SetProgressReceiver(IS22ProgressReceiver* receiver) { m_pProgress = receiver; }
    // Blocks done and total, the last send's size, the last get's size and the last exchange's retries.
    S22TransferFigures GetTransferFigures() const;

    // The customer protocol a display may answer instead (12-byte 0x10 0x02 frames).
    S22Result SwitchToS2200(unsigned char address);
    S22Result PellworthPing(unsigned char address);
    // text: the display's firmware identification, blanks trimmed.
    S22Result GetSignType(unsigned char address, std::string& text);

    void GetLastPacket(const unsigned char** sent, const unsigned char** received) const;
    CS22NetSerialPort& Port() { return m_port; }
    // The line's frames, repeats, bytes and reply times for as long as this link exists.
    const CS22LineMeter& LineMeter() const { return m_port.LineMeter(); }

private:
    // Ends a busy period on every path of the operation that began it.
    class BusyPeriod {
    public:
        explicit BusyPeriod(CS22SignLink& link);
        ~BusyPeriod();
        BusyPeriod(const BusyPeriod&) = delete;
        BusyPeriod& operator=(const BusyPeriod&) = delete;

    private:
        CS22SignLink& m_link;
        bool m_bBegan = false;
    };

    // Runs work() as one framed operation: -4 when closed, abort cleared, busy period, and the
    // link's one-time sequence reset first (its failure ends the operation when checkReset).
    template <class Work>
    S22Result RunFramed(unsigned char address, Work&& work, bool checkReset = true);
    S22Result Exchange(const S22Request& request);
    S22Result ResetSequence(unsigned char address);
    // One command: reply record copied, status byte checked when statusOffset >= 0.
    S22Result FramedCommand(unsigned char address, const CS22CommandBuffer& request, void* record,
                            std::size_t recordSize, int statusOffset, bool checkReset = true);
    S22Result SendStarted(unsigned char address, const CS22CommandBuffer& start, const unsigned char* data,
                          unsigned long size, m2_resp_send_file_s* resp);
    S22Result PellworthExchange(unsigned char address, unsigned char command);

    // Transfers run through these.
    S22Result ExchangeCommand(const S22Request& request) override { return Exchange(request); }
    const CS22NetPacket& LastReply() const override { return m_received; }
    bool IsAbortRequested() const override { return m_bAbort; }
    void TransferBegins(unsigned short total) override;
    void StartFrameDone(unsigned short done, unsigned short total) override;
    void BlockDone(unsigned short done, unsigned short total) override;

    bool m_bOpen = false;
    std::atomic<bool> m_bAbort{false};
    bool m_bSequenceResetDone = false;
    std::vector<unsigned char> m_retrieved;
    // The transfer figures, polled by other threads while a transfer runs.
    std::atomic<short> m_nActualRetries{-1};
    std::atomic<unsigned long> m_nRetrievedSize{0}; // m_retrieved.size() when the last get ended
    std::atomic<unsigned short> m_nBlocksDone{0};
    std::atomic<unsigned short> m_nBlocksTotal{0};
    std::atomic<unsigned long> m_nSendSize{0};
    CS22NetSerialPort m_port;
    IPTANetListener* m_pListener = nullptr; // not owned
    IS22ProgressReceiver* m_pProgress = nullptr; // not owned
    CS22SequenceTable m_sequence;
    CS22NetPacket m_sent;
    CS22NetPacket m_received;
    bool m_bBusy = false;
};

#ifdef _WIN32
#pragma pop_macro("DeleteFile")
#endif

template <class Work>
S22Result CS22SignLink::RunFramed(unsigned char address, Work&& work, bool checkReset)
{
    if (!m_bOpen)
        return ERR_COMMAND_NO_CONNECTION;
    ClearAbort();
    BusyPeriod busy(*this);
    if (!m_bSequenceResetDone) {
        const S22Result reset = ResetSequence(address);
        if (reset == S22NET_OK)
            m_bSequenceResetDone = true;
        else if (checkReset)
            return reset;
    }
    return work();
}
