// A 1.5 MB compressible file sent compressed over a pseudo-terminal to the stand-in controller.
// With the controller's line-time model at 115200 baud the effective rate is compared with the
// stop-and-wait bound (every frame and reply on the wire at 10 bits a byte, nothing in between);
// without the model the figure is the host's own cost.
#include "link/S22SignLink.h"
#include "sim/SignSim.h"

#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <string_view>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr unsigned long kBaud = 115200;
constexpr std::size_t kFileSize = 1500000;

// Words from a small vocabulary with some noise: compresses about 2.5:1 under zlib.
std::vector<unsigned char> CompressibleFile()
{
    const char* words[] = {"SALE ", "TODAY ", "OPEN ", "24 HOURS ", "FRESH ", "BAKERY ", "PHARMACY ", "$1.99 ",
                           "WELCOME ", "THANK YOU ", "LOTTERY ", "COFFEE ", "DELI ", "PRODUCE ", "EXIT ", "AISLE "};
    std::vector<unsigned char> data;
    data.reserve(kFileSize);
    unsigned long state = 12345;
    while (data.size() < kFileSize) {
        state = state * 1103515245 + 12345;
        const char* word = words[(state >> 16) % 16];
        for (const char* c = word; *c != '\0' && data.size() < kFileSize; ++c)
            data.push_back(static_cast<unsigned char>(*c));
        // Two bytes of noise after every word.
        for (int i = 0; i < 2 && data.size() < kFileSize; ++i) {
            state = state * 1103515245 + 12345;
            data.push_back(static_cast<unsigned char>(state >> 20));
        }
    }
    return data;
}

struct Run {
    double seconds = 0;
    short result = 0;
    unsigned long blocks = 0;
    std::size_t requestBytes = 0; // on the wire, start frame and blocks
    std::size_t replyBytes = 0;
};

// A result's text without its trailing newline.
std::string_view ResultName(short result)
{
    std::string_view text = S22ResultText(result);
    return text.substr(0, text.size() - 1);
}

Run Send(CS22SignLink& link, const std::vector<unsigned char>& data, const char* name)
{
    Run run;
    const auto start = std::chrono::steady_clock::now();
    run.result = link.SendCompressedFile(1, name, data.data(), static_cast<unsigned long>(data.size()), nullptr, 0, true);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.blocks = link.GetTransferFigures().blocksTotal - 1u;
    const unsigned char* sent = nullptr;
    const unsigned char* received = nullptr;
    link.GetLastPacket(&sent, &received);
    const std::size_t blockWire = sent[3] + 7u;
    const std::size_t replyWire = received[3] == 0 ? 6u : received[3] + 7u;
    // The start frame (136 data bytes) and its reply, then the blocks and theirs.
    run.requestBytes = (136 + 7) + run.blocks * blockWire;
    run.replyBytes = (run.blocks + 1) * replyWire;
    return run;
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / ("qvx-bench-xfer-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("QVX_PORT_DIR", dir.c_str(), 1);
    const auto data = CompressibleFile();
    uLongf packed = compressBound(static_cast<uLong>(data.size()));
    std::vector<unsigned char> scratch(packed);
    compress(scratch.data(), &packed, data.data(), static_cast<uLong>(data.size()));
    std::printf("file %zu bytes, zlib %lu bytes (%.2f:1)\n", data.size(), static_cast<unsigned long>(packed),
                static_cast<double>(data.size()) / static_cast<double>(packed));

    int status = 0;
    {
        qvxsim::SignSim sim(dir.string());
        qvxsim::PortConfig config;
        config.comNumber = 1;
        config.baud = kBaud;
        config.controllers.push_back({1, 0, {}});
        std::string error;
        CS22SignLink link;
        if (!sim.AddPort(config, &error) || !sim.Start(&error) || link.OpenPort(1, kBaud, 0) != S22NET_OK) {
            std::fprintf(stderr, "set-up failed: %s\n", error.c_str());
            status = 1;
        } else {
            const Run fast = Send(link, data, "FAST.BIN");
            std::printf("without line time: %.3f s, %lu blocks (%.*s)\n", fast.seconds, fast.blocks,
                        static_cast<int>(ResultName(fast.result).size()), ResultName(fast.result).data());
            sim.SetLineTime(1, true);
            const Run timed = Send(link, data, "TIMED.BIN");
            const double bound = static_cast<double>(timed.requestBytes + timed.replyBytes) * 10.0 / kBaud;
            std::printf("with line time at %lu baud: %.3f s, stop-and-wait bound %.3f s, %.1f%% of the bound (%.*s)\n",
                        kBaud, timed.seconds, bound, 100.0 * bound / timed.seconds,
                        static_cast<int>(ResultName(timed.result).size()), ResultName(timed.result).data());
            std::printf("effective rate: %.0f file bytes/s\n", static_cast<double>(data.size()) / timed.seconds);
            link.ClosePort();
        }
    }
    std::filesystem::remove_all(dir);
    return status;
}
