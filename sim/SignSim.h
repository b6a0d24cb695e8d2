#pragma once
// The stand-in sign controller: one pseudo-terminal per simulated COM port, published as
// $portDir/COM<n>, with one or more controllers (addresses) listening on each line as on a real
// multidrop bus. It decodes and checks every frame itself (controller side) and answers as a
// controller would: every command with its reply layout and status byte, block-wise file,
// message and graphic transfers into per-controller file areas, generated CONFIG.XML,
// STATUS.XML and DIRECTORY.XML, and, for displays configured so, the Pellworth protocol until
// switched over. A retried command (same sequence number, same bytes) is answered again without
// being carried out twice. The reset-display command reboots a controller, which then boots the
// firmware image it was sent and reads the CONFIG.XML it was sent. Usable in-process (tests,
// benchmarks) and from qvx-signsim.
//
// The display commands as the controller carries them out:
// - M2RunMessage runs a file of the file area; STATUS.XML ms, the GetStatus record and the
//   running-message reply show it under the name the file area keeps (upper case). A name not
//   stored runs all the same, answered as good.
// - M2BlankDisplay blanks the display and stops the message, whatever its option byte.
// - M2SetDisplayMode: request byte 2 is the mode, byte 3 its value (the library's
//   M2SetDisplayMode(addr, b1, b2) sends b2 first, so b2 is the mode). Mode 2 shows test pattern
//   <value>, mode 0 the normal display again, mode 3 is the memory cleanup: every message, schedule
//   and graphic and the file area's .M2M, .M2S, .FNT, .CFF, .CMD, .FST and .DAT files are deleted
//   (CONFIG.XML, firmware images and other files stay), then the controller reboots as on a reset.
//   STATUS.XML has no attribute for a test pattern; the GetStatus record carries mode and pattern.
// - A CONFIG.XML sent over the line is kept aside: until the next reboot the controller serves the
//   configuration it started with. As it starts it serves the received file byte for byte and its
//   settings take the file's CFG type and TIME zn and dst (STATUS.XML's zn and dsta, Settings()).
//   The rest of the file changes nothing: the controller listens at the rate it had, keeps its
//   address and its protocol.

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
    std::string firmwareVersion = "FX40211-1.02.11"; // the version it runs; a booted image sets it
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

// How a controller takes firmware and reboots. It reboots after answering the extended
// reset-display command (0x80 11), and by itself once it has stored an image whose name holds
// "FP9023417" (that line's controllers do; the others wait for the reset). For the reboot time it
// answers no frame of either protocol; it comes back in the protocol it powers up in, with no
// transfer open, no retry memory and nothing showing; stored files stay. A reboot boots the newest
// complete ".EXE" file stored since the last boot when that is a 32-bit big-endian ELF executable
// whose ".m2_rev_id" section starts with a 25-character revision text ("Gen II Firmware REV 1.2.;"):
// firmwareVersion becomes the name before its last '.' + "-" + characters 20, 22 and 24 minus '0'
// ("FX40211-1.2.11"). Any other image is not booted and the old version stays.
struct FirmwareBehaviour {
    unsigned long rebootMs = 8000;  // silence after a reboot; scaled by QVX_TIME_SCALE as the sim reads it
    bool keepOldFirmware = false;   // reboots, but always comes back on the version it ran before
    bool silentAfterReboot = false; // the next reboot is its last: silent for good (until this is cleared)
    // The last block of an "FP9023417" image is stored but not answered, and the reboot follows at
    // once (otherwise it is answered first).
    bool noFinalReplyForLineImages = false;
    unsigned rebootAtBlock = 0;   // once: reboot when file upload block N arrives (unanswered); 0 = never
    bool refuseDirectory = false; // every get of DIRECTORY.XML is answered with status 2 (no files)
};

// Faults drawn at random for soak runs. Each reply draws each fault independently, and each file
// upload block (0x80 5) draws a reboot; the same seed and the same frames give the same faults.
// Chances run from 0 to 1. The controller never stores a file it did not get whole.
struct RandomFaults {
    std::uint32_t seed = 1;
    double noise = 0;       // 1..16 noise bytes (none of them a frame start) before the reply
    double corrupt = 0;     // one byte of the reply changed, so that a checksum fails
    double drop = 0;        // no reply (the command is still carried out)
    double rebootEarly = 0; // the block goes unanswered and the controller reboots, dropping the partial file
};

struct ControllerConfig {
    unsigned char address = 1;
    unsigned long baud = 0; // the controller's own line rate; 0 = the port's rate. Host rates within
                            // 2.5 % of it are understood, as by a real UART.
    ControllerSettings settings{};
    FirmwareBehaviour behaviour{};
    RandomFaults randomFaults{};
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
    // A USB-serial adapter's latency timer, 0..255 ms (0: none): the adapter passes on full 62-byte
    // packets at once and the rest only when its timer runs out, so a reply whose length is not a
    // multiple of 62 ends this much later. Not scaled by QVX_TIME_SCALE, as the line time is not.
    unsigned adapterLatencyMs = 0;
};

// What a controller's display is doing, for tests.
struct DisplaySnapshot {
    std::string message;  // running now (STATUS.XML ms); empty: none
    std::string schedule; // running now (STATUS.XML sch); empty: none
    bool blank = false;
    unsigned char displayMode = 0;  // as the last M2SetDisplayMode left it: 0 normal, 2 test pattern
    unsigned char testPattern = 0;  // the test pattern showing; 0: none
};

// What one controller has seen, for tests.
struct ControllerStats {
    unsigned long framesReceived = 0;   // frames addressed to it (or broadcast) that passed its checks
    unsigned long framesRejected = 0;   // frames to it dropped for a bad checksum
    unsigned long repliesSent = 0;
    unsigned long wrongRateFrames = 0;  // frames ignored: the host's rate was more than 2.5 % off its own
    unsigned long sequenceResets = 0;
    unsigned char lastSequence = 0;     // sequence nibble (high nibble) of the last frame, as sent
    unsigned char lastType = 0;         // frame type of the last frame
    std::vector<unsigned char> lastData;
    unsigned long framesIgnored = 0;    // S2200 frames to it while it did not speak S2200
    unsigned long pellworthFrames = 0;  // well-formed 0x10 0x02 frames addressed to it
    unsigned long repeatsAnswered = 0;  // retried commands answered again without acting twice
    bool speaksS2200 = true;            // false: Pellworth not yet switched, or HITECH
    unsigned char lastStatus = 0;       // status byte of the last command reply
    unsigned long reboots = 0;
    unsigned long filesStored = 0;      // files stored since power-up (sent to it, or put in place)
    unsigned long framesWhileDown = 0;  // frames to it (either protocol) that went unheard during a reboot
    bool down = false;                  // rebooting now, or silent for good
    std::string bootedImage{};          // the image whose firmware it runs; empty: the one it powered up with
    std::string refusedImage{};         // the image its last reboot could not boot; empty: none
};

class SignSim {
public:
    explicit SignSim(std::string portDir);
    ~SignSim();
    SignSim(const SignSim&) = delete;
    SignSim& operator=(const SignSim&) = delete;

    // Creates the pty and the symlink $portDir/COM<n>; false with a reason in *error on failure.
    // A COM port is published by one stand-in controller at a time: while another one (in this
    // process or another) holds $portDir/COM<n>, this fails with "COM<n> is already published in
    // <portDir> by another stand-in controller (pid <pid>)". A link left by one that ended without
    // stopping is replaced.
    bool AddPort(const PortConfig& config, std::string* error);
    // Starts one serving thread per port; Stop (also run by the destructor) ends them and removes
    // the symlinks (only those still pointing at its ptys) and their claims.
    bool Start(std::string* error);
    void Stop();

    std::string PortDir() const;
    std::string DevicePath(int comNumber) const; // the pty slave path behind COM<n>

    // Run-time control, safe while serving.
    void InjectFault(int comNumber, unsigned char address, const Fault& fault);
    void ClearFaults(int comNumber, unsigned char address);
    void SetLoopback(int comNumber, bool on);
    void SetLineTime(int comNumber, bool on);
    void SetAdapterLatency(int comNumber, unsigned ms); // 0..255 ms, more is taken as 255
    void SetControllerBaud(int comNumber, unsigned char address, unsigned long baud);
    ControllerStats Stats(int comNumber, unsigned char address) const;

    // Firmware and reboots. A new behaviour applies at once: a reboot under way ends rebootMs after
    // it began (0 ends it now), and clearing silentAfterReboot brings a silent controller back.
    FirmwareBehaviour Behaviour(int comNumber, unsigned char address) const;
    void SetBehaviour(int comNumber, unsigned char address, const FirmwareBehaviour& behaviour);
    // Random faults; setting them starts the draws again from the seed. ClearFaults turns them off.
    RandomFaults RandomFaultSettings(int comNumber, unsigned char address) const;
    void SetRandomFaults(int comNumber, unsigned char address, const RandomFaults& faults);
    // Reboots the controller now, as the reset-display command does.
    void Reboot(int comNumber, unsigned char address);

    // Status bytes (ClearFaults removes these too).
    void InjectStatus(int comNumber, unsigned char address, const StatusFault& fault);
    void InjectStatus(int comNumber, unsigned char address, CommandKey command, unsigned char status,
                      int count = 1);

    // Identity and state. SetSettings also rewrites CONFIG.XML from the new settings (dropping a
    // received one not yet read) and returns the controller to the protocol it powers up in.
    // Settings show what the controller runs with: after a reboot, the display type, time zone
    // (minutes from UTC) and daylight saving of the CONFIG.XML it read.
    ControllerSettings Settings(int comNumber, unsigned char address) const;
    void SetSettings(int comNumber, unsigned char address, const ControllerSettings& settings);
    void SetProtocol(int comNumber, unsigned char address, Protocol protocol);
    DisplaySnapshot Display(int comNumber, unsigned char address) const;

    // The controller's files, as a get would deliver them (STATUS.XML and DIRECTORY.XML are made
    // on the spot unless stored). Names compare case-insensitively and may carry folders
    // ("HTCH\16X16N.CFF"). WriteFile puts a file in place at once, CONFIG.XML included (as if it
    // had been there when the controller started: its settings follow it at the next reboot, and
    // one received over the line and not yet read is dropped);
    // RemoveFile of CONFIG.XML also drops one received over the line and not yet read.
    std::optional<std::vector<unsigned char>> ReadFile(int comNumber, unsigned char address, const std::string& name,
                                                       FileArea area = FileArea::Files) const;
    bool WriteFile(int comNumber, unsigned char address, const std::string& name, std::vector<unsigned char> bytes,
                   FileArea area = FileArea::Files);
    bool RemoveFile(int comNumber, unsigned char address, const std::string& name, FileArea area = FileArea::Files);
    // Stored names (upper case, folders and all, sorted); generated files and a received CONFIG.XML
    // not yet read are not listed.
    std::vector<std::string> FileNames(int comNumber, unsigned char address, FileArea area = FileArea::Files) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace qvxsim
