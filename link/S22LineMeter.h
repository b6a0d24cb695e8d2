#pragma once
// What a port's line carried: frames and bytes written, frames repeated by the exchange loops, and
// how long each answered request waited for its reply. The excess of a reply time over the line
// time of the request and its reply (8-N-1: 10 bits a byte) is what the far end and the adapter
// added: a display thinking, or an adapter holding bytes back.
// A worker thread writes while another reads figures; every member is safe from any thread.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// The counters at one moment; S22LineMark{} is the moment the meter was made.
struct S22LineMark {
    unsigned long long framesSent = 0;
    unsigned long long framesRepeated = 0;
    unsigned long long bytesSent = 0;
    unsigned long long replies = 0; // reply-time samples taken
};

// What happened after a mark. The medians are over the samples after the mark still kept (the
// last kSampleRing); -1 when there are none.
struct S22LineFigures {
    unsigned long long framesSent = 0;
    unsigned long long framesRepeated = 0;
    unsigned long long bytesSent = 0;
    unsigned long long replies = 0;
    double medianReplyMs = -1;
    double medianExcessMs = -1;
};

class CS22LineMeter {
public:
    using Clock = std::chrono::steady_clock;
    // Samples kept; older ones fall out of the medians but stay counted.
    static constexpr std::size_t kSampleRing = 65536;

    CS22LineMeter() = default;
    CS22LineMeter(const CS22LineMeter&) = delete;
    CS22LineMeter& operator=(const CS22LineMeter&) = delete;

    // Time that many bytes take on the line at baud (0 for an unknown rate).
    static std::chrono::microseconds LineTime(unsigned long long bytes, unsigned long baud);

    // A write put sent bytes on the line; complete when the whole frame went and the write succeeded.
    // A complete write starts (or extends) the request the next read answers; a failed one drops it.
    void Wrote(std::size_t sent, bool complete);
    // A whole frame or block of received bytes was read, its last byte arriving at lastByte: the
    // first after a request gives its sample. A block read ends on a pause after its last byte;
    // the pause is the reader's own and not the reply's.
    void ReplyRead(std::size_t received, unsigned long baud, Clock::time_point lastByte);
    // A read failed or timed out, or the line was opened anew: the request is left unanswered.
    void ReplyMissed();
    // Tries after the first of one exchange.
    void Repeated(unsigned long tries);
    // One sample as it is kept: the reply time and the line time it contains.
    void NoteReply(std::chrono::microseconds reply, std::chrono::microseconds lineTime);

    S22LineMark Mark() const;
    S22LineFigures Since(const S22LineMark& mark) const;

private:
    struct Sample {
        std::uint32_t replyUs;
        std::uint32_t excessUs;
    };
    void NoteReplyLocked(std::chrono::microseconds reply, std::chrono::microseconds lineTime);

    mutable std::mutex m_mutex;
    S22LineMark m_counts;
    // The ring: grows to kSampleRing, then m_samples[replies % kSampleRing] is overwritten.
    std::vector<Sample> m_samples;
    bool m_bAwaiting = false;
    Clock::time_point m_lastWrite{};
    unsigned long long m_nRequestBytes = 0;
};
