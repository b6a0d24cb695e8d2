#pragma once
// The session record: every frame the link sends and receives, and each port's opening, rate and
// closing, written to a text file a person can read and a replay can feed back to the stand-in
// controller. One line per event, flushed as it is written, so a crash keeps what led up to it.
//
//     # qvxfirminstaller session record 1
//     # started 2026-12-10T02:31:00+01:00, qvxfirminstaller 0.1.0, linux
//     T+0.000000 open COM3 115200
//     T+0.012345 -> COM3 115200 6 55 AA 01 00 03 FD
//     T+0.013007 <- COM3 115200 10 55 AA 01 03 11 EC 80 22 00 5F
//     T+1.500000 <- COM3 115200 0 (time-out)
//     T+1.600000 <- COM3 115200 10 55 ... (rejected: bad data checksum)
//     T+1.700000 close COM3
//     T+1.700100 rate COM3 19200
//     T+1.700200 open COM3 19200
//
// Each line but a comment starts with the seconds since the record was opened (steady clock, six
// decimals) after "T+". Then one of:
//   open COM<n> <rate>     the port was opened at that line rate
//   close COM<n>           the port was closed
//   rate COM<n> <rate>     the port is opened again at a rate other than at its last opening (the
//                          open line that follows says the same; a replay switches its rate here)
//   -> COM<n> <rate> <count> <bytes> [(<note>)]   a frame sent
//   <- COM<n> <rate> <count> <bytes> [(<note>)]   what a read took (count 0: nothing came)
// <bytes> is every byte as two upper-case hex digits, separated by single spaces; <note> is the
// trace's note ("time-out", "rejected: bad data checksum"), present only when there is one. A line
// starting with '#' is a comment; the first two are the header. Lines end with "\n" on every
// platform; a line holds at most kMaxSessionRecordLine characters and a frame at most
// CS22NetPacket::kSize bytes.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

constexpr int kSessionRecordVersion = 1;
constexpr std::size_t kMaxSessionRecordLine = 4096;

// One line of a record.
struct SessionRecordEntry {
    enum class Kind { Comment, Open, Close, Rate, Sent, Received };
    Kind kind = Kind::Comment;
    std::chrono::microseconds at{0}; // since the record was opened; 0 for a comment
    int comPort = 0;
    unsigned long baud = 0;          // open, rate and frames
    std::vector<unsigned char> bytes; // frames
    std::string note;                // a frame's note without its brackets; a comment's text after '#'
};

// The line for an entry, ending in '\n'. A note or comment that would break the line (a newline in
// it, or a note ending a frame early with ')') is written as it is: only the recorder writes
// lines, from the trace's own notes.
std::string FormatSessionRecordLine(const SessionRecordEntry& entry);

// Reads one line (with or without its "\n" or "\r\n"). False, with the reason in `reason` and
// `entry` untouched, for a line that is too long, empty, or not of the form above: a bad time, an
// unknown word, a COM number or rate that is no number or too large, a byte count above
// CS22NetPacket::kSize or other than the bytes that follow, a byte that is not two upper-case hex
// digits, or anything after the bytes that is not one bracketed note.
bool ParseSessionRecordLine(std::string_view line, SessionRecordEntry& entry, std::string& reason);

// The process's one record. The program opens it before anything is sent and closes it at the end;
// the link writes to it from any thread while it is open, and nothing when it is not.
class CSessionRecorder {
public:
    static CSessionRecorder& Instance();

    // Creates (or empties) the file and writes the header; `program` is the name and version for
    // it ("qvxfirminstaller 0.1.0"). False, with the path and the system's reason in `fault`, when
    // the file cannot be written or a record is open already.
    bool Open(const std::string& path, std::string_view program, std::string& fault);
    // Closes the file; nothing to do when none is open.
    void Close();
    // Cheap enough to ask per frame.
    bool IsOpen() const { return m_bOpen.load(std::memory_order_relaxed); }

    void Frame(bool sent, int comPort, unsigned long baud, std::span<const unsigned char> bytes,
               std::string_view note);
    void PortOpened(int comPort, unsigned long baud);
    void PortClosed(int comPort);
    void RateChanged(int comPort, unsigned long baud);

private:
    CSessionRecorder() = default;
    void Write(SessionRecordEntry& entry);

    std::mutex m_mutex;
    std::FILE* m_file = nullptr; // guarded by m_mutex
    std::chrono::steady_clock::time_point m_start{};
    std::atomic<bool> m_bOpen{false};
};

// The header's "started" time: local time with its offset from UTC, e.g. 2026-12-10T02:31:00+01:00.
std::string SessionRecordStartText(std::time_t when);
