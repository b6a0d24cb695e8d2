#pragma once
// The tool's session record as the replaying controller reads it: for each COM port, the requests
// the tool sent in order and what came back after each. The sim reads the record with its own
// reader so that a fault in the tool's writer shows up here instead of being shared.
//
// The lines it takes (any other line is an error):
//   # ...                                    a comment; the first line must be the record's header
//   T+<s>.<us> open|rate COM<n> <rate>       a port's opening or rate change (only the port is kept)
//   T+<s>.<us> close COM<n>
//   T+<s>.<us> ->|<- COM<n> <rate> <count> <hex bytes> [(<note>)]   a frame sent or a read's bytes

#include <chrono>
#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace qvxsim {

constexpr int kRecordVersion = 1;
constexpr std::size_t kMaxRecordFrame = 262;   // the largest frame the tool sends or reads
constexpr std::size_t kMaxRecordLineText = 4096;

struct RecordLine {
    enum class Kind { Comment, Port, Sent, Received };
    Kind kind = Kind::Comment;
    std::chrono::microseconds at{0};
    int comNumber = 0;
    std::vector<unsigned char> bytes; // frames only; empty for a read that took nothing
};

// One line, without its line end ("\r\n" or "\n" already taken off). False with the reason.
bool ReadRecordLine(std::string_view text, RecordLine* line, std::string* reason);

struct RecordedReply {
    std::chrono::microseconds delay{0}; // after its request was sent
    std::vector<unsigned char> bytes;
};

struct RecordedRequest {
    std::vector<unsigned char> bytes;
    std::vector<RecordedReply> replies; // reads that took nothing are left out: silence
    std::size_t lineNumber = 0;
};

struct RecordedPort {
    int comNumber = 0;
    std::vector<RecordedRequest> requests;
};

// The whole record, ports in the order of their COM numbers. False with "line <n>: <reason>" (or
// why the record names no port).
bool ReadRecord(std::istream& in, std::vector<RecordedPort>* ports, std::string* error);

} // namespace qvxsim
