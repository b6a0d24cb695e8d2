// Any bytes read as a firmware image for its version. Checks: the revision is empty or three
// numbers "a.b.c" of at most four characters each (a signed byte minus '0'), and the version is
// the path's title, "-" and that revision; an image without a revision section has no revision,
// and one that is not text, not ELF or cut short is never passed as a controller image.
#include "tests/fuzz/FuzzCheck.h"
#include "update/package/FirmwareElf.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const unsigned char> image(data, size);
    const std::string revision = FirmwareRevisionOf(image);
    if (!revision.empty()) {
        int major = 0;
        int minor = 0;
        int build = 0;
        char rest = 0;
        QVX_FUZZ_CHECK(std::sscanf(revision.c_str(), "%d.%d.%d%c", &major, &minor, &build, &rest) == 3);
        for (const int n : {major, minor, build})
            QVX_FUZZ_CHECK(n >= -128 - '0' && n <= 127 - '0');
    }
    QVX_FUZZ_CHECK(HasRevisionSection(image) || revision.empty());
    const std::string fault = ControllerImageFault(image);
    QVX_FUZZ_CHECK(!fault.empty() || (size >= 52 && data[0] == 0x7F && data[4] == 1 && data[5] == 2));
    QVX_FUZZ_CHECK(FirmwareVersionFromImage(image, "C:\\fw\\FX40211.EXE") == "FX40211-" + revision);
    QVX_FUZZ_CHECK(FirmwareVersionFromImage(image, "/fw/FX40211") == revision);
    return 0;
}
