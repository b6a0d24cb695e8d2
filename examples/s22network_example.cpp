// Connects to a sign controller on a COM port, pings it, sends a small file and fetches it back,
// printing the result of each step.
//
//   s22network-example <COM number> [address] [baud]
#include <s22network/S22Network.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The library's result texts end with a newline.
void Report(const char* step, short result)
{
    std::printf("%-10s %s", step, S22ResultText(result));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <COM number> [address] [baud]\n", argv[0]);
        return 2;
    }
    const auto com = static_cast<short>(std::atoi(argv[1]));
    const auto address = static_cast<unsigned char>(argc > 2 ? std::atoi(argv[2]) : 1);
    const long baud = argc > 3 ? std::atol(argv[3]) : 115200;

    CS22Network network;
    network.ConfigureDirect(com, baud, false);
    short result = network.Connect();
    Report("connect", result);
    if (result != S22NET_OK) {
        const char* why = nullptr;
        network.GetLastConnectError(&why);
        std::fprintf(stderr, "%s\n", why);
        return 1;
    }

    result = network.Ping(address);
    Report("ping", result);

    const std::string text = "Hello from the protocol library.\n";
    if (result == S22NET_OK) {
        result = network.M2SendFile(address, "EXAMPLE.TXT", reinterpret_cast<const unsigned char*>(text.data()),
                                    static_cast<long>(text.size()), nullptr, 0);
        Report("send", result);
    }
    if (result == S22NET_OK) {
        const unsigned char* data = network.M2GetFile(address, "EXAMPLE.TXT", result, nullptr, 0);
        Report("get", result);
        const bool same = data != nullptr && network.GetRetrievedSize() == static_cast<long>(text.size()) &&
                          std::memcmp(data, text.data(), text.size()) == 0;
        std::printf("%-10s %s\n", "compare", same ? "same bytes" : "DIFFERENT");
        if (!same)
            result = ERR_SIGN_INVALID_RESPONSE;
    }
    network.Disconnect();
    return result == S22NET_OK ? 0 : 1;
}
