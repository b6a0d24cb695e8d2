// Bytes on the wire for the same image, and what they cost in a stop-and-wait install.
//  1. Each encoder's zlib stream of the stand-in firmware image and of a real PowerPC file
//     (Debian's libc6-powerpc-cross libc.so.6, when it is installed): zlib's default level, its
//     level 9, and the encoder the tool sends with.
//  2. The tool's compressed send of each image to a stand-in controller at 115200 baud with the
//     line-time model, against the stop-and-wait bound of zlib's default-level stream of the same
//     bytes (every frame and reply on the wire, nothing in between): above 100 % is faster than
//     any sender of the default-level stream can be.
//  3. The same send behind an adapter that holds short replies back (a latency timer of 16 ms
//     against 1 ms).
// The controller runs as its own process (qvx-signsim beside this program), both on one CPU.
#include "base/Deflate.h"
#include "link/S22SignLink.h"
#include "res/Resources.h"
#include "update/package/ZlbFile.h"

#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<unsigned char>;
constexpr unsigned long kBaud = 115200;
constexpr double kStartRequestWire = 143;
// A block's frame and its reply on the wire, as the last send had them.
double g_blockWire = 262;
double g_replyWire = 15;
constexpr char kLibc[] = "/usr/powerpc-linux-gnu/lib/libc.so.6";

Bytes ZlibAt(const Bytes& in, int level)
{
    uLongf size = compressBound(static_cast<uLong>(in.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, in.data(), static_cast<uLong>(in.size()), level) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

double BoundSeconds(std::size_t streamBytes)
{
    const double blocks = static_cast<double>((streamBytes + 245) / 246);
    return (kStartRequestWire + g_replyWire + blocks * (g_blockWire + g_replyWire)) * 10.0 / kBaud;
}

pid_t StartController(const std::filesystem::path& dir, const char* latencyMs)
{
    const auto sim = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "qvx-signsim";
    std::fflush(stdout); // the child would write what is still buffered
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        execl(sim.c_str(), "qvx-signsim", "--port-dir", dir.c_str(), "--port", "1", "--rate", "115200", "--line-time",
              "--adapter-latency", latencyMs, "--addr", "1", static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 500 && !std::filesystem::exists(dir / "COM1"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return pid;
}

// The tool's compressed send of image as FILE.BIN: seconds, and the bytes it put in its blocks.
bool TimedSend(const Bytes& image, const char* latencyMs, double& seconds, unsigned long& sent)
{
    const auto dir = std::filesystem::temp_directory_path() / ("qvx-bench-stream-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("QVX_PORT_DIR", dir.c_str(), 1);
    const pid_t controller = StartController(dir, latencyMs);
    CS22SignLink link;
    bool ok = link.OpenPort(1, kBaud, 0) == S22NET_OK && link.SequenceReset(1) == S22NET_OK;
    if (ok) {
        const auto start = Clock::now();
        ok = link.SendCompressedFile(1, "FILE.BIN", image.data(), static_cast<unsigned long>(image.size()), nullptr, 0,
                                     true) == S22NET_OK;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        sent = link.GetTransferFigures().sendSize;
        const unsigned char* request = nullptr;
        const unsigned char* reply = nullptr;
        link.GetLastPacket(&request, &reply); // the last block, which may be short: its reply only
        g_replyWire = reply[3] + 7.0;
        (void)request;
    }
    link.ClosePort();
    kill(controller, SIGTERM);
    waitpid(controller, nullptr, 0);
    std::filesystem::remove_all(dir);
    return ok;
}

bool StandInImage(Bytes& image)
{
    CZlbFile package;
    if (package.LoadFromMemory(qvxres::FindEmbeddedResource("BIN", qvxres::kFirmwareFX40211)) != CZlbFile::kOk)
        return false;
    image.assign(package.GetData().begin(), package.GetData().end());
    return true;
}

void Report(const char* name, const Bytes& image, bool withAdapter)
{
    const Bytes standard = ZlibAt(image, Z_DEFAULT_COMPRESSION);
    const Bytes nine = ZlibAt(image, 9);
    Bytes best;
    qvxbase::ZlibCompressBest(image, best);
    std::printf("%s: %zu bytes\n", name, image.size());
    std::printf("  zlib default level  %9zu bytes  %5zu blocks\n", standard.size(), (standard.size() + 245) / 246);
    std::printf("  zlib level 9        %9zu bytes  %5zu blocks\n", nine.size(), (nine.size() + 245) / 246);
    std::printf("  %-19s %9zu bytes  %5zu blocks  (%.1f%% fewer than the default level)\n", qvxbase::ZlibEncoderName(),
                best.size(), (best.size() + 245) / 246,
                100.0 * (1.0 - static_cast<double>(best.size()) / static_cast<double>(standard.size())));
    double seconds = 0;
    unsigned long sent = 0;
    if (!TimedSend(image, "0", seconds, sent)) {
        std::printf("  the send failed\n");
        return;
    }
    const double bound = BoundSeconds(standard.size());
    std::printf("  send of %lu bytes: %.2f s (%.1f%% of its own stream's bound); the default-level stream's "
                "stop-and-wait bound %.2f s: %.1f%% of it\n",
                sent, seconds, 100.0 * BoundSeconds(sent) / seconds, bound, 100.0 * bound / seconds);
    if (!withAdapter)
        return;
    for (const char* latency : {"1", "16"}) {
        if (TimedSend(image, latency, seconds, sent))
            std::printf("  behind an adapter with a %s ms latency timer: %.2f s\n", latency, seconds);
    }
}

} // namespace

int main()
{
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    sched_setaffinity(0, sizeof one, &one);
    ::setenv("QVX_TIME_SCALE", "1", 0);
    Bytes image;
    if (!StandInImage(image)) {
        std::fprintf(stderr, "the stand-in firmware package is missing\n");
        return 1;
    }
    std::printf("compressed sends at %lu baud with the line-time model; encoder of this build: %s\n\n", kBaud,
                qvxbase::ZlibEncoderName());
    Report("stand-in firmware image", image, true);
    std::ifstream libc(kLibc, std::ios::binary);
    if (!libc) {
        std::printf("\n%s is not installed (apt-get install libc6-powerpc-cross): real PowerPC code skipped\n", kLibc);
        return 0;
    }
    const Bytes real((std::istreambuf_iterator<char>(libc)), std::istreambuf_iterator<char>());
    std::printf("\n");
    Report(kLibc, real, false);
    return 0;
}
