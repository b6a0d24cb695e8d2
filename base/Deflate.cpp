#include "base/Deflate.h"

#include <zlib.h>
#ifdef QVX_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>

namespace qvxbase {

namespace {

// One zlib call takes a uInt of input (32 bits also on Windows); nothing the tool handles is larger.
constexpr std::size_t kMaxBytes = std::numeric_limits<uInt>::max() / 2;

// zlib and libdeflate want a pointer even for no bytes.
const unsigned char kNone = 0;
const unsigned char* BytesOf(std::span<const unsigned char> bytes)
{
    return bytes.empty() ? &kNone : bytes.data();
}

#ifdef QVX_HAVE_LIBDEFLATE
constexpr int kLibdeflateLevel = 12; // its slowest, smallest output

bool CompressWithLibdeflate(std::span<const unsigned char> in, std::vector<unsigned char>& out)
{
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(kLibdeflateLevel);
    if (compressor == nullptr)
        return false;
    bool done = false;
    try {
        out.resize(libdeflate_zlib_compress_bound(compressor, in.size()));
        const std::size_t size =
            libdeflate_zlib_compress(compressor, BytesOf(in), in.size(), out.data(), out.size());
        out.resize(size);
        done = size > 0;
    } catch (const std::bad_alloc&) {
        done = false;
    }
    libdeflate_free_compressor(compressor);
    return done;
}
#endif

bool CompressWithZlib(std::span<const unsigned char> in, std::vector<unsigned char>& out)
{
    try {
        uLongf size = compressBound(static_cast<uLong>(in.size()));
        out.resize(size);
        if (compress2(out.data(), &size, BytesOf(in), static_cast<uLong>(in.size()), Z_BEST_COMPRESSION) != Z_OK)
            return false;
        out.resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Ends a zlib inflate on every path.
class Inflater {
public:
    Inflater() { m_bOpen = inflateInit(&m_stream) == Z_OK; }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    ~Inflater()
    {
        if (m_bOpen)
            inflateEnd(&m_stream);
    }
    bool IsOpen() const { return m_bOpen; }
    z_stream& Stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_bOpen = false;
};

} // namespace

bool ZlibCompressBest(std::span<const unsigned char> in, std::vector<unsigned char>& out)
{
    out.clear();
    if (in.size() > kMaxBytes)
        return false;
    const bool done = CompressWithZlib(in, out);
#ifdef QVX_HAVE_LIBDEFLATE
    // libdeflate wins on anything of size, but on a few bytes zlib's stream is up to 3 bytes
    // shorter: the shorter of the two is kept.
    std::vector<unsigned char> other;
    if (CompressWithLibdeflate(in, other) && (!done || other.size() < out.size())) {
        out.swap(other);
        return true;
    }
#endif
    if (!done)
        out.clear();
    return done;
}

bool InflatesTo(std::span<const unsigned char> stream, std::span<const unsigned char> expected)
{
    if (stream.size() > kMaxBytes || expected.size() > kMaxBytes)
        return false;
    Inflater inflater;
    if (!inflater.IsOpen())
        return false;
    z_stream& z = inflater.Stream();
    z.next_in = const_cast<Bytef*>(BytesOf(stream));
    z.avail_in = static_cast<uInt>(stream.size());

    // Output goes through a small window and is compared as it comes; the window never reaches
    // more than one byte past the expected end, so an overlong stream shows at once.
    std::array<unsigned char, 4096> window{};
    std::size_t compared = 0;
    // Every round that goes on takes input or gives output, so this many rounds is more than enough.
    const std::size_t maxRounds = stream.size() + expected.size() + 2;
    for (std::size_t round = 0; round < maxRounds; ++round) {
        const std::size_t room = std::min(window.size(), expected.size() - compared + 1);
        z.next_out = window.data();
        z.avail_out = static_cast<uInt>(room);
        const int result = inflate(&z, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END)
            return false; // damaged, wrong check value, out of memory, or no progress possible
        const std::size_t produced = room - z.avail_out;
        if (produced > expected.size() - compared)
            return false;
        if (produced > 0 && std::memcmp(window.data(), expected.data() + compared, produced) != 0)
            return false;
        compared += produced;
        if (result == Z_STREAM_END)
            return compared == expected.size() && z.avail_in == 0;
    }
    return false;
}

const char* ZlibEncoderName()
{
#ifdef QVX_HAVE_LIBDEFLATE
    return "libdeflate 12";
#else
    return "zlib 9";
#endif
}

} // namespace qvxbase
