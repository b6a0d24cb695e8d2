// A controller file saved on disk, loaded with CM2Files (UTF-8 conversion, line-end repair,
// indexing) and read as a directory, a configuration and a status file.
#include "files/ControllerConfig.h"
#include "files/ControllerStatus.h"
#include "files/M2Files.h"
#include "tests/fuzz/FuzzCheck.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The one file each input is written to (in memory where /dev/shm exists), removed at exit.
struct ScratchFile {
    ScratchFile()
    {
        const std::filesystem::path shm = "/dev/shm";
        std::error_code error;
        const auto dir = std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
        path = dir / ("qvx-fuzz-m2files-" + std::to_string(::getpid()) + ".xml");
    }
    ~ScratchFile()
    {
        std::error_code error;
        std::filesystem::remove(path, error);
    }
    std::filesystem::path path;
};

bool WriteFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ScratchFile scratch;
    const std::filesystem::path& path = scratch.path;
    if (!WriteFile(path, data, size))
        return 0;

    CM2Files file;
    std::vector<std::string> names{"stale"};
    const bool loaded = file.LoadDirectory(path, names);
    QVX_FUZZ_CHECK(loaded == file.IsLoaded());
    QVX_FUZZ_CHECK(loaded || names.empty());
    for (const std::string& name : names)
        QVX_FUZZ_CHECK(!name.empty());

    // Every line feed of the kept text follows a carriage return.
    const std::string& text = file.GetText();
    for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', lf + 1))
        QVX_FUZZ_CHECK(lf > 0 && text[lf - 1] == '\r');

    CXmlDoc& doc = file.GetDocument();
    ConfigSignPort port;
    if (FindConfigSignPort(doc, port))
        QVX_FUZZ_CHECK(IsSignPortProtocol(port.strProtocol));
    ReadConfigDisplayType(doc);
    ReadConfigTimeZone(doc);
    ReadConfigChildAttribute(doc, ConfigXml::kAddr, ConfigXml::kIpAddress);
    ReadStatusFirmwareVersion(doc);
    ReadStatusTime(doc).LocalSeconds();
    QVX_FUZZ_CHECK(doc.GetCurrentIndex() == 0 && doc.GetParentIndex() == 0);
    return 0;
}
