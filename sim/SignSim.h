#pragma once
// The stand-in sign controller: one pseudo-terminal per simulated COM port, published as
// $portDir/COM<n>, with one or more controllers (addresses) listening on each line as on a real
// multidrop bus. It decodes and checks every frame itself (controller side) and answers as a
// controller would: every command with its reply layout and status byte, block-wise file,
// message and graphic transfers into per-controller file areas, generated CONFIG.XML,
// STATUS.XML and DIRECTORY.XML, and, for displays configured so, the Pellworth protocol until
// switched over. A retried command (same sequence number, same bytes) is answered again without
// being carried out twice. Usable in-process (tests, benchmarks) and from qvx-signsim.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qvxsim {

// Faults a controller can be told to commit on its replies.
enum class FaultKind {
    Noise,             // param = number of noise bytes (none of them 0x55 or 0x10) sent before the reply
    BadHeaderChecksum, // reply header checksum off by one (Pellworth replies: last byte off by one)
    BadDataChecksum,   // reply data checksum off by one (only on replies that carry data)
    DropReply,         // no reply at all
    WrongAddress,      // reply carries address param instead of the controller's own
    Delay,             // reply delayed by param milliseconds (not scaled)
    BadCommand,        // reply type 2 instead of the normal reply (a refused command is not carried out)
    Unsupported,       // reply type 4 instead of the normal reply (the same)
    // Not a reply fault: each of the next `count` file, message or graphic gets announces one
    // block more than the data needs (param more, when above 1) and every block reply carries a
    // full block, padded past the end of the data with 0xEE. A host that keeps the announced
    // block size without cutting it to what remains writes past its buffer.
    GetBlockOverrun,
};

struct Fault {
    FaultKind kind = FaultKind::DropReply;
    int count = -1; // how many replies it affects; -1 = every reply until cleared
    int param = 0;
};

// What the controller speaks when it powers up.
enum class Protocol {
    S2200,     // the controller protocol (0x55 0xAA frames)
    Pellworth, // the customer protocol (0x10 0x02 frames) until switched to S2200
    Hitech,    // a HITECH display: answers the sign-type query only, never speaks S2200
};

// The controller's identity and state as its files and status replies show them.
struct ControllerSettings {
    Protocol protocol = Protocol::S2200;
    // Firmware identification in the Pellworth/HITECH sign-type reply (at most 16 characters);
    // empty: the firmware version (Pellworth) or "HT3100-2.04" (HITECH).
    std::string signTypeText{};
    // Bytes in the sign-type reply, 1..86: below 37 the text is cut off (a short reply).
    unsigned queryReplySize = 86;
    bool compression = true; // false: a compressed-send start is answered "unsupported"

    std::string displayType = "32X80MONO64.CRV.M2"; // CONFIG.XML type; ".M3" types get the M3 layout
    std::string description{};                     // STATUS.XML ds; empty: derived from the type
    std::string moduleType = "FX40529.RBF-004";
    std::string firmwareVersion = "FX40211-1.02.11";
    int temperature = 31;                    // degrees Celsius
    unsigned long totalMemory = 33554432;    // bytes
    unsigned long freeMemory = 29360128;     // bytes before any file is stored
    std::uint32_t clock = 0;                 // seconds since 1970; 0 = the machine's clock, else stopped there
    int timeZone = -360;                     // minutes from UTC
    bool daylightSaving = false;             // STATUS.XML dsta
    std::string ipAddress = "192.168.100.20";
    std::string subnetMask = "255.255.0.0";
    std::string signPortProtocol{};          // first DIRECT port; empty: "HTCH" for .M2 types, else "S22"
    unsigned long signPortBaud = 115200;
};

struct ControllerConfig {
    unsigned char address = 1;
    unsigned long baud = 0; // the controller's own line rate; 0 = the port's rate
    ControllerSettings settings{};
};

// A command as the controller tells them apart: data byte 0, or data byte 1 after 0x80.
struct CommandKey {
    bool extended = false;
    unsigned char code = 0;
    friend bool operator==(const CommandKey&, const CommandKey&) = default;
};
inline constexpr CommandKey BasicCommand(unsigned char code) { return {false, code}; }
inline constexpr CommandKey ExtendedCommand(unsigned char code) { return {true, code}; }

// A non-zero status byte in the controller's reply to a command. The command is answered in its
// usual reply layout with the status at its place and is not carried out (a refused block ends
// the transfer it belongs to).
struct StatusFault {
    CommandKey command{};
    unsigned char status = 1;
    int count = 1;            // replies affected; -1 = every one until cleared
    unsigned short block = 0; // for data blocks and block requests: only this block number; 0 = any
};

// The controller's file areas: extended file commands use Files; the basic commands keep
// messages, schedules and graphics apart.
enum class FileArea { Files, Messages, Schedules, Graphics };

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
    unsigned long framesIgnored = 0;    // S2200 frames to it while it did not speak S2200
    unsigned long pellworthFrames = 0;  // well-formed 0x10 0x02 frames addressed to it
    unsigned long repeatsAnswered = 0;  // retried commands answered again without acting twice
    bool speaksS2200 = true;            // false: Pellworth not yet switched, or HITECH
    unsigned char lastStatus = 0;       // status byte of the last command reply
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

    // Status bytes (ClearFaults removes these too).
    void InjectStatus(int comNumber, unsigned char address, const StatusFault& fault);
    void InjectStatus(int comNumber, unsigned char address, CommandKey command, unsigned char status,
                      int count = 1);

    // Identity and state. SetSettings also rewrites CONFIG.XML from the new settings and returns
    // the controller to the protocol it powers up in.
    ControllerSettings Settings(int comNumber, unsigned char address) const;
    void SetSettings(int comNumber, unsigned char address, const ControllerSettings& settings);
    void SetProtocol(int comNumber, unsigned char address, Protocol protocol);

    // The controller's files, as a get would deliver them (STATUS.XML and DIRECTORY.XML are made
    // on the spot unless stored). Names compare case-insensitively.
    std::optional<std::vector<unsigned char>> ReadFile(int comNumber, unsigned char address, const std::string& name,
                                                       FileArea area = FileArea::Files) const;
    bool WriteFile(int comNumber, unsigned char address, const std::string& name, std::vector<unsigned char> bytes,
                   FileArea area = FileArea::Files);
    bool RemoveFile(int comNumber, unsigned char address, const std::string& name, FileArea area = FileArea::Files);
    // Stored names (upper case, sorted); generated files are not listed.
    std::vector<std::string> FileNames(int comNumber, unsigned char address, FileArea area = FileArea::Files) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace qvxsim
