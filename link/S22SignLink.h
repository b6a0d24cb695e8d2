#pragma once
// The sign link through which the tool's own pages, jobs and tests talk to one display line: an
// embedded serial port, its own exchange loop (up to four tries, no broadcast shortcut, no log),
// a listener told about busy periods, and the serial echo (loop-back) test.

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

// The class keeps its DeleteFile members whether or not <windows.h> came first.
#ifdef _WIN32
#pragma push_macro("DeleteFile")
#undef DeleteFile
#endif

class CS22SignLink final : private IS22Exchanger, private IS22TransferSink {
public:
    static constexpr unsigned long kPortTimeOutMs = 3000;
    static constexpr short kMaxRetries = 3;
    static constexpr unsigned long kEchoTestBaud = 19200;

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
    S22Result DeleteFile(unsigned char address, const char* name, m2_resp_s* resp, unsigned char option);
    S22Result DeleteFile(unsigned char address, const std::string& name, m2_resp_s* resp, unsigned char option);
#ifdef _WIN32
    // What a caller's DeleteFile becomes under <windows.h>'s macro.
    S22Result DeleteFileA(unsigned char address, const char* name, m2_resp_s* resp, unsigned char option)
    {
        return DeleteFile(address, name, resp, option);
    }
    S22Result DeleteFileA(unsigned char address, const std::string& name, m2_resp_s* resp, unsigned char option)
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
    // Sends with a compressed start (code 20): the data zlib-compressed when compress is set, else
    // as it is. ERR_SIGN_UNSUPPORTED_COMMAND at once when the controller refuses the start.
    S22Result SendCompressedFile(unsigned char address, const char* name, const unsigned char* data,
                                 unsigned long size, m2_resp_send_file_s* resp, unsigned char option, bool compress);
    S22Result SendCompressedFile(unsigned char address, const std::string& name, const unsigned char* data,
                                 unsigned long size, m2_resp_send_file_s* resp, unsigned char option, bool compress);
    unsigned char* GetFile(unsigned char address, const char* name, short& result, m2_resp_retrieve_file_s* resp,
                           unsigned char option);
    unsigned char* GetFile(unsigned char address, const std::string& name, short& result,
                           m2_resp_retrieve_file_s* resp, unsigned char option);
    unsigned long GetRetrievedSize() const { return static_cast<unsigned long>(m_retrieved.size()); }
    void SetProgressReceiver(IS22ProgressReceiver* receiver) { m_pProgress = receiver; }
    unsigned short GetBlocksDone() const { return m_nBlocksDone; }
    unsigned short GetBlocksTotal() const { return m_nBlocksTotal; }
    // The bytes the last send put in its blocks (after compression, for a compressed send).
    unsigned long GetSendSize() const { return m_nSendSize; }

    // The customer protocol a display may answer instead (12-byte 0x10 0x02 frames).
    S22Result SwitchToS2200(unsigned char address);
    S22Result PellworthPing(unsigned char address);
    // text: the display's firmware identification, blanks trimmed.
    S22Result GetSignType(unsigned char address, std::string& text);

    short GetActualNumberOfRetries() const { return m_nActualRetries; }
    void GetLastPacket(const unsigned char** sent, const unsigned char** received) const;
    CS22NetSerialPort& Port() { return m_port; }

    // Serial echo test with a loop-back plug (type 0: a fixed text; type 1: the embedded firmware).
    bool StartEchoTest(short comPort, int type);
    int EchoTestStep();
    void GetEchoTestProgress(unsigned long& done, unsigned long& total) const;
    void EndEchoTest(int type);

    // Results of EchoTestStep.
    static constexpr int kEchoMore = 0;
    static constexpr int kEchoPassed = 1;
    static constexpr int kEchoFailed = 2;

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
    short m_nActualRetries = -1;
    bool m_bSequenceResetDone = false;
    std::vector<unsigned char> m_retrieved;
    // Polled by other threads while a transfer runs.
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

    std::vector<unsigned char> m_echoText; // owned data of the type-0 test
    const unsigned char* m_pEchoData = nullptr;
    unsigned long m_nEchoSize = 0;
    unsigned long m_nEchoDone = 0;
    bool m_bEchoOpenedPort = false;
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
