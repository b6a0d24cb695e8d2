// The display list reader on arbitrary bytes. Checks: entries are numbered 0..n-1 in order, every
// name is non-empty and within the line limit, and the same list written with CR LF line ends or
// behind a byte-order mark reads the same.
#include "tests/fuzz/FuzzCheck.h"
#include "update/DisplayList.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<DisplayInfo> Read(std::string_view text, std::size_t* notes = nullptr)
{
    CSilentConfigFileParser parser;
    parser.Parse(text);
    std::vector<DisplayInfo> displays;
    parser.GetDisplays(displays);
    if (notes != nullptr)
        *notes = parser.GetSkippedRecords().size();
    return displays;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t notes = 0;
    const std::vector<DisplayInfo> displays = Read(text, &notes);
    for (std::size_t i = 0; i < displays.size(); ++i) {
        QVX_FUZZ_CHECK(displays[i].nIndex == i);
        QVX_FUZZ_CHECK(!displays[i].strName.empty());
        QVX_FUZZ_CHECK(displays[i].strName.size() <= CSilentConfigFileParser::kMaxLineChars);
    }
    // Each entry has an address digit of its own; a noted record has at least a name, an address
    // digit and the 22 line feeds before its baud line.
    QVX_FUZZ_CHECK(displays.size() <= size);
    QVX_FUZZ_CHECK(notes * 24 <= size);

    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (!text.starts_with(kBom))
        QVX_FUZZ_CHECK(Read(std::string(kBom) + std::string(text)) == displays);
    if (text.find('\r') == std::string_view::npos) {
        std::string crlf;
        crlf.reserve(size * 2);
        for (const char c : text) {
            if (c == '\n')
                crlf += '\r';
            crlf += c;
        }
        QVX_FUZZ_CHECK(Read(crlf) == displays);
    }
    return 0;
}
