#pragma once
// The host's end of a simulated COM port, driven the way the tool drives a serial line: raw mode,
// a set line rate, frames written, replies read with a bounded wait.

#include <chrono>
#include <initializer_list>
#include <string>
#include <vector>

namespace simtest {

using Bytes = std::vector<unsigned char>;

// A request frame with both checksums worked out.
Bytes MakeFrame(unsigned char address, unsigned char control, std::initializer_list<unsigned char> data = {});
Bytes MakeFrame(unsigned char address, unsigned char control, const Bytes& data);

class HostPort {
public:
    HostPort() = default;
    ~HostPort() { Close(); }
    HostPort(const HostPort&) = delete;
    HostPort& operator=(const HostPort&) = delete;

    bool Open(const std::string& path, unsigned long rate);
    void Close();
    bool SetRate(unsigned long rate);

    void Write(const Bytes& bytes);
    // Up to count bytes; fewer when the line stays quiet for `quiet`.
    Bytes Read(std::size_t count, std::chrono::milliseconds quiet = std::chrono::milliseconds(2000));

private:
    int m_fd = -1;
};

} // namespace simtest
