#include "update/package/ZlbFile.h"

#include "base/Deflate.h"
#include "base/PathText.h"
#include "base/WholeFile.h"
#include "update/package/PackageFiles.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>
#include <new>

using qvxbase::FileStatus;

namespace {

// A package stores its image's file name as it goes to the controller, and its own name is made
// beside the image the same way.
std::string_view StoredNameOf(std::string_view path)
{
    return qvxbase::NamePartOf(path, qvxbase::PathReading::StoredName);
}

std::string_view StoredFolderOf(std::string_view path)
{
    return qvxbase::FolderPartOf(path, qvxbase::PathReading::StoredName);
}

static_assert(qvxpkg::kMaxPackageBytes <= std::numeric_limits<uInt>::max(),
              "a whole package must fit one zlib call");

std::uint32_t ReadLe32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void WriteLe32(unsigned char* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Ends a zlib inflate on every path.
class InflateStream {
public:
    InflateStream() = default;
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    ~InflateStream()
    {
        if (m_bOpen)
            inflateEnd(&m_stream);
    }
    int Init()
    {
        const int result = inflateInit(&m_stream);
        m_bOpen = result == Z_OK;
        return result;
    }
    z_stream& Stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_bOpen = false;
};

} // namespace

void CZlbFile::Clear()
{
    m_uncompressedSize = 0;
    m_storedLength = 0;
    m_name.clear();
    m_data.clear();
    m_data.shrink_to_fit();
    m_path.clear();
    m_stream = {};
    m_streamLength = 0;
    m_fault.clear();
}

int CZlbFile::Fail(int code, std::string reason)
{
    m_data.clear();
    m_data.shrink_to_fit();
    m_stream = {};
    m_streamLength = 0;
    m_fault = std::move(reason);
    return code;
}

int CZlbFile::LoadFromMemory(std::span<const unsigned char> block)
{
    try {
        Clear();
        if (block.size() < kHeaderSize)
            return Fail(kDamaged, "the header is shorter than 8 bytes (the package has " +
                                         std::to_string(block.size()) + ")");
        m_uncompressedSize = ReadLe32(block.data());
        m_storedLength = ReadLe32(block.data() + 4);
        const auto rest = block.subspan(kHeaderSize);
        const auto terminator = std::find(rest.begin(), rest.end(), 0);
        if (terminator == rest.end())
            return Fail(kDamaged, "the name has no terminating zero");
        m_name.assign(rest.begin(), terminator);
        const std::size_t nameEnd = kHeaderSize + m_name.size() + 1;
        const std::size_t available = block.size() - nameEnd;
        if (m_storedLength > available)
            return Fail(kDamaged, "the stored length " + std::to_string(m_storedLength) +
                                         " runs past the end of the package (" + std::to_string(available) +
                                         " bytes follow the name)");
        if (m_uncompressedSize > qvxpkg::kMaxImageBytes)
            return Fail(kDamaged, "the uncompressed size " + std::to_string(m_uncompressedSize) +
                                         " is more than the " + std::to_string(qvxpkg::kMaxImageBytes) +
                                         " bytes an image may have");
        // Deflate turns one byte into at most 1032, so a larger claim cannot be true; refusing it
        // here spares allocating for it.
        constexpr std::uint64_t kMaxInflateRatio = 1032;
        if (m_uncompressedSize > (std::uint64_t{m_storedLength} + 1) * kMaxInflateRatio)
            return Fail(kDamaged, "the uncompressed size " + std::to_string(m_uncompressedSize) +
                                      " is more than " + std::to_string(m_storedLength) +
                                      " stored bytes can inflate to");
        return Inflate(block.subspan(nameEnd, m_storedLength));
    } catch (const std::bad_alloc&) {
        return Fail(kNoMemory, "out of memory reading the package");
    }
}

int CZlbFile::Inflate(std::span<const unsigned char> stored)
{
    InflateStream inflater;
    const int init = inflater.Init();
    if (init == Z_MEM_ERROR)
        return Fail(kNoMemory, "out of memory starting zlib");
    if (init != Z_OK)
        return Fail(kDamaged, "zlib could not start (" + std::to_string(init) + ")");

    m_data.resize(m_uncompressedSize);
    // Output beyond the declared size lands here, so an image larger than its header is noticed
    // without writing past the buffer.
    std::array<unsigned char, 256> spare{};
    bool intoSpare = m_data.empty();
    z_stream& z = inflater.Stream();
    static const unsigned char kNone = 0;
    z.next_in = const_cast<Bytef*>(stored.empty() ? &kNone : stored.data());
    z.avail_in = static_cast<uInt>(stored.size());
    z.next_out = intoSpare ? spare.data() : m_data.data();
    z.avail_out = intoSpare ? static_cast<uInt>(spare.size()) : static_cast<uInt>(m_data.size());

    const std::string declared = std::to_string(m_uncompressedSize);
    for (;;) {
        const int result = inflate(&z, Z_NO_FLUSH);
        if (result == Z_STREAM_END)
            break;
        if (result == Z_MEM_ERROR)
            return Fail(kNoMemory, "out of memory inflating the image");
        if (result != Z_OK && result != Z_BUF_ERROR) {
            const std::string why = z.msg != nullptr ? z.msg : "error " + std::to_string(result);
            return Fail(kDamaged, "the zlib stream is damaged (" + why + ") after " +
                                         std::to_string(z.total_in) + " of " + std::to_string(stored.size()) +
                                         " stored bytes");
        }
        if (z.avail_out == 0) {
            if (intoSpare)
                return Fail(kDamaged, "the image inflates to more than the " + declared +
                                             " bytes the header gives");
            intoSpare = true;
            z.next_out = spare.data();
            z.avail_out = static_cast<uInt>(spare.size());
        } else if (z.avail_in == 0) {
            return Fail(kDamaged, "the zlib stream does not end within the " +
                                         std::to_string(stored.size()) + " stored bytes");
        } else if (result == Z_BUF_ERROR) {
            // Room on both sides and still no progress: never loop on it.
            return Fail(kDamaged, "zlib made no progress inflating the image");
        }
    }
    if (z.total_out != m_uncompressedSize)
        return Fail(kDamaged, "the image inflates to " + std::to_string(z.total_out) + " bytes, not the " +
                                     declared + " the header gives");
    m_streamLength = z.total_in;
    m_stream = stored.first(m_streamLength);
    return kOk;
}

int CZlbFile::Pack(const std::string& path)
{
    try {
        Clear();
        std::vector<unsigned char> image;
        switch (qvxbase::ReadWholeFile(path, qvxpkg::kMaxImageBytes, image, m_fault)) {
        case FileStatus::Ok:
            break;
        case FileStatus::NoMemory:
            return Fail(kNoMemory, m_fault);
        case FileStatus::OpenFailed:
            return Fail(kOpenFailed, m_fault);
        case FileStatus::ReadFailed:
        case FileStatus::TooLarge:
            return Fail(kReadFailed, m_fault);
        }

        // The smallest stream: a package is sent as it stands, and every byte less is time on the line.
        if (!qvxbase::ZlibCompressBest(image, m_data))
            return Fail(kNoMemory, std::string(qvxbase::ZlibEncoderName()) + " could not compress " + path);
        const std::size_t compressedSize = m_data.size();
        m_stream = m_data;

        m_uncompressedSize = static_cast<std::uint32_t>(image.size());
        m_storedLength = static_cast<std::uint32_t>(compressedSize + kPaddingSize);
        m_name = std::string(StoredNameOf(path));
        m_path = ZlbPathFor(path);

        std::array<unsigned char, kHeaderSize> header{};
        WriteLe32(header.data(), m_uncompressedSize);
        WriteLe32(header.data() + 4, m_storedLength);
        const std::array<unsigned char, kPaddingSize> padding{};
        const auto* name = reinterpret_cast<const unsigned char*>(m_name.c_str());
        const std::array<std::span<const unsigned char>, 4> pieces{
            std::span<const unsigned char>(header), std::span<const unsigned char>(name, m_name.size() + 1),
            std::span<const unsigned char>(m_data), std::span<const unsigned char>(padding)};
        std::string writeFault;
        if (!qvxbase::ReplaceFileAtomically(m_path, pieces, writeFault))
            return Fail(kOpenFailed, "cannot write " + m_path + ": " + writeFault);
        m_fault.clear();
        return kOk;
    } catch (const std::bad_alloc&) {
        return Fail(kNoMemory, "out of memory packing " + path);
    }
}

int CZlbFile::Unpack(const std::string& path)
{
    try {
        Clear();
        const std::string_view fileName = StoredNameOf(path);
        const std::size_t dot = fileName.rfind('.');
        if (dot == std::string_view::npos || fileName.substr(dot + 1) != "zlb")
            return Fail(kOpenFailed, path + " is not a package: its name must end in \".zlb\"");

        std::vector<unsigned char> bytes;
        std::string fault;
        switch (qvxbase::ReadWholeFile(path, qvxpkg::kMaxPackageBytes, bytes, fault)) {
        case FileStatus::Ok:
            break;
        case FileStatus::NoMemory:
            return Fail(kNoMemory, fault);
        case FileStatus::OpenFailed:
        case FileStatus::ReadFailed:
            return Fail(kOpenFailed, fault);
        case FileStatus::TooLarge:
            return Fail(kDamaged, fault);
        }
        bytes.shrink_to_fit();
        const int loaded = LoadFromMemory(bytes);
        if (loaded != kOk)
            return loaded;
        // The name comes from the file: it must not lead the image out of the package's folder.
        if (!IsPlainFileName(m_name))
            return Fail(kDamaged, "the package names its image \"" + qvxpkg::Printable(m_name) +
                                         "\", which is not a plain file name");
        m_path = std::string(StoredFolderOf(path)) + m_name;
        m_stream = {}; // it was in bytes
        bytes = {};
        const std::array<std::span<const unsigned char>, 1> pieces{std::span<const unsigned char>(m_data)};
        std::string writeFault;
        if (!qvxbase::ReplaceFileAtomically(m_path, pieces, writeFault))
            return Fail(kOpenFailed, "cannot write " + m_path + ": " + writeFault);
        return kOk;
    } catch (const std::bad_alloc&) {
        return Fail(kNoMemory, "out of memory unpacking " + path);
    }
}

std::string ZlbPathFor(const std::string& path)
{
    const std::string_view name = StoredNameOf(path);
    const std::string_view stem = name.substr(0, std::min(name.rfind('.'), name.size()));
    return std::string(StoredFolderOf(path)) + std::string(stem) + ".zlb";
}

bool IsPlainFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find_first_of("/\\:") == std::string::npos;
}
