// A firmware package from anywhere (a file, a resource) read with CZlbFile::LoadFromMemory.
// Checks: only the documented results; a good load holds exactly the declared image, a refused one
// no image at all and a reason; the version reader then copes with whatever image came out.
#include "tests/fuzz/FuzzCheck.h"
#include "update/package/FirmwareElf.h"
#include "update/package/ZlbFile.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const unsigned char> block(data, size);
    CZlbFile package;
    const int result = package.LoadFromMemory(block);
    QVX_FUZZ_CHECK(result == CZlbFile::kOk || result == CZlbFile::kNoMemory || result == CZlbFile::kDamaged);
    if (result != CZlbFile::kOk) {
        QVX_FUZZ_CHECK(package.GetData().empty());
        QVX_FUZZ_CHECK(!package.GetFault().empty());
        return 0;
    }
    QVX_FUZZ_CHECK(package.GetFault().empty());
    QVX_FUZZ_CHECK(package.GetData().size() == package.GetUncompressedSize());
    QVX_FUZZ_CHECK(package.GetStreamLength() <= package.GetStoredLength());
    QVX_FUZZ_CHECK(CZlbFile::kHeaderSize + package.GetName().size() + 1 + package.GetStoredLength() <= size);
    (void)FirmwareVersionFromImage(package.GetData(), package.GetName());
    return 0;
}
