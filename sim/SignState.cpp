#include "sim/SignState.h"

#include "sim/ControllerXml.h"
#include "sim/FirmwareImage.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace qvxsim {

namespace {

constexpr std::array<std::string_view, 7> kDisplayExtensions{"M2M", "M2S", "FNT", "CFF", "CMD", "FST", "DAT"};

Bytes BytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

} // namespace

bool IsDisplayFile(const std::string& name)
{
    const std::string upper = UpperCase(name);
    const auto dot = upper.rfind('.');
    const auto folder = upper.find_last_of("\\/");
    if (dot == std::string::npos || (folder != std::string::npos && folder > dot))
        return false;
    const std::string_view extension = std::string_view(upper).substr(dot + 1);
    return std::find(kDisplayExtensions.begin(), kDisplayExtensions.end(), extension) != kDisplayExtensions.end();
}

SignState::SignState(unsigned char address, const ControllerSettings& settings)
    : m_address(address), m_settings(settings), m_clock(settings.clock)
{
    Configure(settings);
}

void SignState::Configure(const ControllerSettings& settings)
{
    m_settings = settings;
    m_clock = SimClock(settings.clock);
    m_files.Put(kConfigFile, BytesOf(ConfigXml(m_settings, m_address)), m_clock.Now());
    m_receivedConfig.reset();
}

void SignState::Start()
{
    if (m_receivedConfig) {
        m_files.Put(kConfigFile, std::move(m_receivedConfig->bytes), m_receivedConfig->time);
        m_receivedConfig.reset();
    }
    if (const StoredFile* config = m_files.Find(kConfigFile))
        FollowConfig(std::string(config->bytes.begin(), config->bytes.end()), m_settings);
}

FileStore& SignState::Area(FileArea area)
{
    return Pick(*this, area);
}

const FileStore& SignState::Area(FileArea area) const
{
    return Pick(*this, area);
}

std::optional<Bytes> SignState::Read(FileArea area, const std::string& name) const
{
    if (const StoredFile* file = Area(area).Find(name))
        return file->bytes;
    if (area != FileArea::Files)
        return std::nullopt;
    const std::string upper = UpperCase(name);
    if (upper == kStatusFile)
        return BytesOf(StatusXml(m_settings, m_display, m_clock.Now(), FreeMemory()));
    if (upper == kDirectoryFile)
        return BytesOf(DirectoryXml(m_files));
    return std::nullopt;
}

bool SignState::Store(FileArea area, const std::string& name, Bytes bytes)
{
    if (!Area(area).Put(name, std::move(bytes), m_clock.Now()))
        return false;
    ++m_filesStored;
    if (area == FileArea::Files && UpperCase(name) == kConfigFile)
        m_receivedConfig.reset(); // the one put in place now is the newer
    if (area == FileArea::Files && IsFirmwareImage(name)) {
        m_newImage = UpperCase(name);
        ++m_imagesStored;
    }
    return true;
}

bool SignState::Receive(const std::string& name, Bytes bytes)
{
    if (UpperCase(name) != kConfigFile)
        return Store(FileArea::Files, name, std::move(bytes));
    if (bytes.size() > kMaxStoredFile)
        return false;
    m_receivedConfig = StoredFile{kConfigFile, std::move(bytes), m_clock.Now()};
    return true;
}

bool SignState::Remove(FileArea area, const std::string& name)
{
    const bool received = area == FileArea::Files && m_receivedConfig && UpperCase(name) == kConfigFile;
    if (received)
        m_receivedConfig.reset();
    return Area(area).Remove(name) || received;
}

void SignState::CleanMemory()
{
    m_messages.Clear();
    m_schedules.Clear();
    m_graphics.Clear();
    std::vector<std::string> names;
    for (const StoredFile* file : m_files.Files()) {
        if (IsDisplayFile(file->name))
            names.push_back(file->name);
    }
    for (const std::string& name : names)
        m_files.Remove(name);
}

unsigned long SignState::FreeMemory() const
{
    const std::size_t used = m_files.TotalBytes() + m_messages.TotalBytes() + m_schedules.TotalBytes()
                           + m_graphics.TotalBytes() + (m_receivedConfig ? m_receivedConfig->bytes.size() : 0);
    return used >= m_settings.freeMemory ? 0 : m_settings.freeMemory - static_cast<unsigned long>(used);
}

} // namespace qvxsim
