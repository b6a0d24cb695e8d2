// qvx-zlb: makes, unpacks and inspects firmware packages (.zlb) with the same code the tool and
// the build use.
#include "base/WholeFile.h"
#include "update/package/FirmwareElf.h"
#include "update/package/PackageFiles.h"
#include "update/package/ZlbFile.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Exit statuses: the package codes, and one for wrong usage.
constexpr int kExitUsage = 64;

const char kUsage[] =
    "usage: qvx-zlb pack <file>          package a file as <file up to its last '.'>.zlb beside it\n"
    "       qvx-zlb unpack <file.zlb>    write the image a package holds beside it, under its stored name\n"
    "       qvx-zlb info <file.zlb>      show a package's header, the firmware version inside, whether it is sound\n"
    "       qvx-zlb --help\n"
    "\n"
    "Exit status:\n"
    "   0  done (info: the package is sound)\n"
    "   1  out of memory\n"
    "   2  a file could not be opened or written, or the name does not end in \".zlb\"\n"
    "   3  the file to pack could not be read whole (or is larger than 64 MiB)\n"
    "   4  the package is damaged, or names a file outside its folder\n"
    "  64  wrong usage\n";

int Error(int status, const std::string& reason)
{
    std::fprintf(stderr, "qvx-zlb: %s\n", reason.c_str());
    return status;
}

std::string Ratio(std::size_t image, std::size_t stream)
{
    if (stream == 0)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f:1", static_cast<double>(image) / static_cast<double>(stream));
    return text;
}

int Pack(const std::string& path)
{
    CZlbFile package;
    const int result = package.Pack(path);
    if (result != CZlbFile::kOk)
        return Error(result, package.GetFault());
    std::printf("%s -> %s: %u bytes, zlib stream %zu bytes (%s), stored length %u\n", path.c_str(),
                package.GetPath().c_str(), package.GetUncompressedSize(), package.GetData().size(),
                Ratio(package.GetUncompressedSize(), package.GetData().size()).c_str(), package.GetStoredLength());
    return 0;
}

int Unpack(const std::string& path)
{
    CZlbFile package;
    const int result = package.Unpack(path);
    if (result != CZlbFile::kOk)
        return Error(result, path + ": " + package.GetFault());
    std::printf("%s -> %s: %u bytes\n", path.c_str(), package.GetPath().c_str(), package.GetUncompressedSize());
    return 0;
}

int Info(const std::string& path)
{
    std::vector<unsigned char> bytes;
    std::string fault;
    switch (qvxbase::ReadWholeFile(path, qvxpkg::kMaxPackageBytes, bytes, fault)) {
    case qvxbase::FileStatus::Ok:
        break;
    case qvxbase::FileStatus::NoMemory:
        return Error(CZlbFile::kNoMemory, fault);
    case qvxbase::FileStatus::TooLarge:
        return Error(CZlbFile::kDamaged, fault);
    default:
        return Error(CZlbFile::kOpenFailed, fault);
    }
    CZlbFile package;
    const int result = package.LoadFromMemory(bytes);
    std::printf("package            %s (%zu bytes)\n", path.c_str(), bytes.size());
    if (bytes.size() >= CZlbFile::kHeaderSize) {
        std::printf("uncompressed size  %u\n", package.GetUncompressedSize());
        std::printf("stored length      %u\n", package.GetStoredLength());
        std::printf("name               %s\n", qvxpkg::Printable(package.GetName()).c_str());
    }
    if (result == CZlbFile::kOk) {
        const std::size_t stream = package.GetStreamLength();
        std::printf("zlib stream        %zu bytes (%s)", stream, Ratio(package.GetUncompressedSize(), stream).c_str());
        const std::size_t padding = package.GetStoredLength() - stream;
        if (padding != CZlbFile::kPaddingSize)
            std::printf(", followed by %zu stored bytes instead of %zu", padding, CZlbFile::kPaddingSize);
        std::printf("\n");
        const std::string revision = FirmwareRevisionOf(package.GetData());
        if (revision.empty())
            std::printf("firmware version   none found\n");
        else
            std::printf("firmware version   %s\n", FirmwareVersionFromImage(package.GetData(), package.GetName()).c_str());
        if (!IsPlainFileName(package.GetName())) {
            std::printf("sound              no: the name is not a plain file name\n");
            return CZlbFile::kDamaged;
        }
        std::printf("sound              yes\n");
        return 0;
    }
    std::printf("sound              no: %s\n", package.GetFault().c_str());
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() != 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string path(args[1]);
    if (args[0] == "pack")
        return Pack(path);
    if (args[0] == "unpack")
        return Unpack(path);
    if (args[0] == "info")
        return Info(path);
    return Error(kExitUsage, "unknown command \"" + std::string(args[0]) + "\" (qvx-zlb --help lists them)");
}
