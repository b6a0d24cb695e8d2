#pragma once
// The stand-in sign controller: one pseudo-terminal per simulated COM port, published as
// $portDir/COM<n>, with one or more controllers (addresses) listening on each line as on a real
// multidrop bus. It decodes and checks every frame itself (controller side) and answers as a
// controller would. Usable in-process (tests, benchmarks) and from qvx-signsim.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qvxsim {

// Faults a controller can be told to commit on its replies.
enum class FaultKind {
    Noise,             // param = number of noise bytes (none of them 0x55) sent before the reply
    BadHeaderChecksum, // reply header checksum off by one
    BadDataChecksum,   // reply data checksum off by one (only on replies that carry data)
    DropReply,         // no reply at all
    WrongAddress,      // reply carries address param instead of the controller's own
    Delay,             // reply delayed by param milliseconds (not scaled)
    BadCommand,        // reply type 2 instead of the normal reply
    Unsupported,       // reply type 4 instead of the normal reply
};

struct Fault {
    FaultKind kind = FaultKind::DropReply;
    int count = -1; // how many replies it affects; -1 = every reply until cleared
    int param = 0;
};

struct ControllerConfig {
    unsigned char address = 1;
    unsigned long baud = 0; // the controller's own line rate; 0 = the port's rate
};

struct PortConfig {
    int comNumber = 1;
    unsigned long baud = 115200;
    bool lineTime = false; // delay each reply by the wire time of request + reply at 10 bits/byte
    bool loopback = false; // a loop-back plug: every byte is echoed, no controller answers
    std::vector<ControllerConfig> controllers;
};

// What one controller has seen, for tests.
struct ControllerStats {
    unsigned long framesReceived = 0;   // frames addressed to it (or broadcast) that passed its checks
    unsigned long framesRejected = 0;   // frames to it dropped for a bad checksum
    unsigned long repliesSent = 0;
    unsigned long wrongRateFrames = 0;  // frames ignored because the host's line rate differed
    unsigned long sequenceResets = 0;
    unsigned char lastSequence = 0;     // sequence nibble (high nibble) of the last frame, as sent
    unsigned char lastType = 0;         // frame type of the last frame
    std::vector<unsigned char> lastData;
};

class SignSim {
public:
    explicit SignSim(std::string portDir);
    ~SignSim();
    SignSim(const SignSim&) = delete;
    SignSim& operator=(const SignSim&) = delete;

    // Creates the pty and the symlink $portDir/COM<n>; false with a reason in *error on failure.
    bool AddPort(const PortConfig& config, std::string* error);
    // Starts one serving thread per port; Stop (also run by the destructor) ends them and removes
    // the symlinks.
    bool Start(std::string* error);
    void Stop();

    std::string PortDir() const;
    std::string DevicePath(int comNumber) const; // the pty slave path behind COM<n>

    // Run-time control, safe while serving.
    void InjectFault(int comNumber, unsigned char address, const Fault& fault);
    void ClearFaults(int comNumber, unsigned char address);
    void SetLoopback(int comNumber, bool on);
    void SetLineTime(int comNumber, bool on);
    void SetControllerBaud(int comNumber, unsigned char address, unsigned long baud);
    ControllerStats Stats(int comNumber, unsigned char address) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace qvxsim
