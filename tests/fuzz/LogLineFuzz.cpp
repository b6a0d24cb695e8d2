// The log line formatter on arbitrary flags, stamp values and text. Checks: every line fits the
// line buffer and ends in a newline, and the pieces of a long text join up to the whole text.
#include "log/LogLine.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Takes sizeof(T) bytes from the front of the input, zeros when it runs short.
template <typename T>
T Take(const std::uint8_t*& data, std::size_t& size)
{
    T value{};
    const std::size_t n = size < sizeof value ? size : sizeof value;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int flags = Take<std::int32_t>(data, size);
    LogLineStamp stamp;
    stamp.counter = Take<std::int64_t>(data, size);
    stamp.wallSeconds = Take<std::int64_t>(data, size);
    stamp.wallMs = Take<std::uint16_t>(data, size);
    stamp.elapsedSeconds = Take<double>(data, size);
    stamp.level = Take<std::int64_t>(data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    CLogLine line;
    std::string joined;
    std::size_t offset = 0;
    do {
        const std::size_t taken = line.Build(flags, stamp, text.substr(offset));
        const std::string& built = line.Text();
        QVX_FUZZ_CHECK(built.size() <= CLogLine::kMaxChars && !built.empty() && built.back() == '\n');
        QVX_FUZZ_CHECK(taken > 0 || text.empty());
        QVX_FUZZ_CHECK(taken <= text.size() - offset);
        joined.append(built, built.size() - 1 - taken, taken);
        offset += taken;
    } while (offset < text.size());
    QVX_FUZZ_CHECK(joined == text);
    return 0;
}
