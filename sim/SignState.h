#pragma once
// Everything a controller keeps between commands: its settings, clock, what the display is doing
// and its file areas. The command handlers share it; the controller owns it.

#include "sim/FileStore.h"
#include "sim/SignSim.h"
#include "sim/SimClock.h"

#include <array>
#include <optional>
#include <string>
#include <utility>

namespace qvxsim {

inline constexpr char kConfigFile[] = "CONFIG.XML";
inline constexpr char kStatusFile[] = "STATUS.XML";
inline constexpr char kDirectoryFile[] = "DIRECTORY.XML";

struct DisplayState {
    std::string message;  // playing now; empty: none
    std::string schedule; // running now; empty: none
    std::string defaultMessage;
    unsigned char dimLevel = 100;
    bool dimAuto = true;
    bool blank = false;
    // As M2SetDisplayMode sends them: [0] the mode (request byte 2), [1] its value (byte 3).
    std::array<unsigned char, 2> displayMode{};
    unsigned char testPattern = 0; // running now; 0: none
    std::uint16_t frame = 0; // selected frame of the running message
    unsigned char softwareAddress = 0;

    // What a display reset (and a reboot) clears: what is showing, not how it is shown. A test
    // pattern is showing: the display goes back to its normal mode.
    void ClearShowing()
    {
        message.clear();
        schedule.clear();
        blank = false;
        displayMode = {};
        testPattern = 0;
        frame = 0;
    }
};

// What the memory cleanup deletes from the file area: what the display shows and how it plays
// it, by extension: messages (.M2M), schedules (.M2S), fonts (.FNT, .CFF, .CMD), byte messages
// (.FST) and the play files (.DAT), in any folder ("HTCH\16X16N.CFF").
bool IsDisplayFile(const std::string& name);

class SignState {
public:
    SignState(unsigned char address, const ControllerSettings& settings);

    // New settings: a fresh clock and CONFIG.XML (a received one still waiting is dropped); the
    // other files stay.
    void Configure(const ControllerSettings& settings);
    // What the controller does as it starts (after every reboot): a CONFIG.XML received since the
    // last start takes the old one's place, and the settings follow the CONFIG.XML it then has
    // (display type, time zone, daylight saving). The line rate stays what it was.
    void Start();
    void SetProtocol(Protocol protocol) { m_settings.protocol = protocol; }
    void SetFirmwareVersion(std::string version) { m_settings.firmwareVersion = std::move(version); }

    unsigned char Address() const { return m_address; }
    const ControllerSettings& Settings() const { return m_settings; }
    SimClock& Clock() { return m_clock; }
    DisplayState& Display() { return m_display; }
    const DisplayState& Display() const { return m_display; }
    FileStore& Area(FileArea area);
    const FileStore& Area(FileArea area) const;

    // What a get delivers: the stored file, else STATUS.XML and DIRECTORY.XML made now.
    std::optional<Bytes> Read(FileArea area, const std::string& name) const;
    // Puts the file in place now; a CONFIG.XML stored so replaces one received and not yet read.
    bool Store(FileArea area, const std::string& name, Bytes bytes);
    // A file sent over the line into the file area. CONFIG.XML is kept aside until the next start:
    // a controller reads its configuration when it starts, so it serves the old one till then.
    bool Receive(const std::string& name, Bytes bytes);
    // Also forgets a received CONFIG.XML when that is the name.
    bool Remove(FileArea area, const std::string& name);
    // The memory cleanup: every message, schedule and graphic, and the file area's display files
    // (IsDisplayFile). The configuration, firmware images and other files stay.
    void CleanMemory();
    unsigned long FreeMemory() const;

    // The newest firmware image (".EXE" in the file area) stored since the last boot, and how many
    // images have been stored in all; a boot takes the image.
    const std::optional<std::string>& NewImage() const { return m_newImage; }
    unsigned long ImagesStored() const { return m_imagesStored; }
    // Files of any kind stored since power-up (sent, renamed into place or made by a command).
    unsigned long FilesStored() const { return m_filesStored; }
    std::optional<std::string> TakeNewImage() { return std::exchange(m_newImage, std::nullopt); }

private:
    template <typename Self>
    static auto& Pick(Self& self, FileArea area)
    {
        switch (area) {
        case FileArea::Messages:
            return self.m_messages;
        case FileArea::Schedules:
            return self.m_schedules;
        case FileArea::Graphics:
            return self.m_graphics;
        case FileArea::Files:
            break;
        }
        return self.m_files;
    }

    unsigned char m_address;
    ControllerSettings m_settings;
    SimClock m_clock;
    DisplayState m_display;
    FileStore m_files;
    FileStore m_messages;
    FileStore m_schedules;
    FileStore m_graphics;
    std::optional<StoredFile> m_receivedConfig; // waits for the next start
    std::optional<std::string> m_newImage;
    unsigned long m_imagesStored = 0;
    unsigned long m_filesStored = 0;
};

} // namespace qvxsim
