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
    std::array<unsigned char, 2> displayMode{}; // as M2SetDisplayMode sends them (bytes 2 and 3)
    unsigned char testPattern = 0;
    std::uint16_t frame = 0; // selected frame of the running message
    unsigned char softwareAddress = 0;

    // What a display reset (and a reboot) clears: what is showing, not how it is shown.
    void ClearShowing()
    {
        message.clear();
        schedule.clear();
        blank = false;
        testPattern = 0;
        frame = 0;
    }
};

class SignState {
public:
    SignState(unsigned char address, const ControllerSettings& settings);

    // New settings: a fresh clock and CONFIG.XML; the other files stay.
    void Configure(const ControllerSettings& settings);
    void SetProtocol(Protocol protocol) { m_settings.protocol = protocol; }
    void SetFirmwareVersion(std::string version) { m_settings.firmwareVersion = std::move(version); }

    unsigned char Address() const { return m_address; }
    const ControllerSettings& Settings() const { return m_settings; }
    SimClock& Clock() { return m_clock; }
    DisplayState& Display() { return m_display; }
    FileStore& Area(FileArea area);
    const FileStore& Area(FileArea area) const;

    // What a get delivers: the stored file, else STATUS.XML and DIRECTORY.XML made now.
    std::optional<Bytes> Read(FileArea area, const std::string& name) const;
    bool Store(FileArea area, const std::string& name, Bytes bytes);
    unsigned long FreeMemory() const;

    // The newest firmware image (".EXE" in the file area) stored since the last boot, and how many
    // images have been stored in all; a boot takes the image.
    const std::optional<std::string>& NewImage() const { return m_newImage; }
    unsigned long ImagesStored() const { return m_imagesStored; }
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
    std::optional<std::string> m_newImage;
    unsigned long m_imagesStored = 0;
};

} // namespace qvxsim
