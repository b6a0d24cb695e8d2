#include "sim/DisplayCommands.h"

#include "sim/Replies.h"

#include <chrono>

namespace qvxsim {

namespace {

constexpr std::size_t kBasicNameAt = 2;
constexpr std::size_t kBasicNameSize = 17;
constexpr std::size_t kExtendedNameAt = 3;
constexpr std::size_t kExtendedNameSize = 110;
constexpr std::size_t kRunningFrameAt = 117;

constexpr CommandKey kResetDisplay = ExtendedCommand(11);
constexpr CommandKey kSetDisplayMode = ExtendedCommand(16);
// M2SetDisplayMode's modes (request byte 2; byte 3 is the value).
enum : unsigned char { kModeNormal = 0, kModeTestPattern = 2, kModeCleanMemory = 3 };

std::string BasicName(std::span<const unsigned char> request)
{
    return GetName(request, kBasicNameAt, kBasicNameSize).text;
}

// The six bytes of a basic SetTime: second, minute, hour, day, month 1-12, year - 1900 (UTC).
std::optional<std::uint32_t> SecondsOf(std::span<const unsigned char> request)
{
    using namespace std::chrono;
    const unsigned second = ByteAt(request, 2), minute = ByteAt(request, 3), hour = ByteAt(request, 4);
    const year_month_day date{year(1900 + static_cast<int>(ByteAt(request, 7))), month(ByteAt(request, 6)),
                              day(ByteAt(request, 5))};
    if (!date.ok() || second > 59 || minute > 59 || hour > 23 || date.year() < year(1970))
        return std::nullopt;
    const auto at = sys_days(date) + hours(hour) + minutes(minute) + seconds(second);
    return static_cast<std::uint32_t>(at.time_since_epoch().count());
}

Bytes Basic(SignState& state, CommandKey key, std::span<const unsigned char> request)
{
    DisplayState& display = state.Display();
    switch (key.code) {
    case 2:
        return StatusRecord(state, request);
    case 6: // RunMessage and its forms
        display.message = BasicName(request);
        display.blank = false;
        break;
    case 7:
        display.message.clear();
        break;
    case 12: { // RunSchedule: the controller's first schedule
        const auto schedules = state.Area(FileArea::Schedules).Files();
        if (schedules.empty())
            return ReplyTo(request, kStatusNotFound);
        display.schedule = schedules.front()->name;
        break;
    }
    case 13:
        display.schedule.clear();
        break;
    case 14: // SetDimming: 1 automatic, 2 level
        display.dimAuto = ByteAt(request, 1) != 0;
        display.dimLevel = static_cast<unsigned char>(ByteAt(request, 2));
        break;
    case 15:
        display.blank = true;
        display.message.clear();
        break;
    case 16: {
        const std::optional<std::uint32_t> seconds = SecondsOf(request);
        if (!seconds)
            return ReplyTo(request, kStatusBadRequest);
        state.Clock().Set(*seconds);
        break;
    }
    case 17:
        display.testPattern = static_cast<unsigned char>(ByteAt(request, 1));
        break;
    case 18:
        display.ClearShowing();
        break;
    case 23: // SetDefaultMessage: 1 on/off, name
        display.defaultMessage = ByteAt(request, 1) != 0 ? BasicName(request) : std::string();
        break;
    case 31:
        display.softwareAddress = static_cast<unsigned char>(ByteAt(request, 2));
        break;
    default:
        break;
    }
    return ReplyTo(request);
}

Bytes RunningMessage(SignState& state, std::span<const unsigned char> request)
{
    Bytes reply = ReplyTo(request);
    PutName(reply, kExtendedNameAt, kExtendedNameSize, state.Display().message);
    Put16(reply, kRunningFrameAt, state.Display().frame);
    return reply;
}

// M2RunMessage: shown under the name the controller keeps its files by (upper case). A name it
// has no file for runs all the same and is answered as good.
Bytes RunFile(SignState& state, std::span<const unsigned char> request)
{
    const std::optional<std::string> name = RequiredName(request, kExtendedNameAt, kExtendedNameSize);
    if (!name)
        return ReplyTo(request, kStatusBadRequest);
    DisplayState& display = state.Display();
    display.message = UpperCase(*name);
    display.blank = false;
    display.frame = 0;
    return ReplyTo(request);
}

// Mode 0 shows what runs again, mode 2 shows test pattern `value`, mode 3 cleans the memory (the
// controller reboots once it has answered); other modes are kept and change nothing.
void SetDisplayMode(SignState& state, std::span<const unsigned char> request)
{
    const auto mode = static_cast<unsigned char>(ByteAt(request, 2));
    const auto value = static_cast<unsigned char>(ByteAt(request, 3));
    DisplayState& display = state.Display();
    display.displayMode = {mode, value};
    switch (mode) {
    case kModeNormal:
        display.testPattern = 0;
        break;
    case kModeTestPattern:
        display.testPattern = value;
        break;
    case kModeCleanMemory:
        state.CleanMemory();
        break;
    default:
        break;
    }
}

Bytes Extended(SignState& state, CommandKey key, std::span<const unsigned char> request)
{
    DisplayState& display = state.Display();
    switch (key.code) {
    case 7:
        return RunFile(state, request);
    case 8:
        display.message.clear();
        break;
    case 10: // M2BlankDisplay: byte 2 is its option byte; it always blanks
        display.blank = true;
        display.message.clear();
        break;
    case 11:
        display.ClearShowing();
        break;
    case 12: {
        const std::optional<std::string> name = RequiredName(request, kExtendedNameAt, kExtendedNameSize);
        if (!name)
            return ReplyTo(request, kStatusBadRequest);
        display.schedule = *name;
        break;
    }
    case 13:
        display.schedule.clear();
        break;
    case 14: // M2SetDimming: 2 automatic, 3 level
        display.dimAuto = ByteAt(request, 2) != 0;
        display.dimLevel = static_cast<unsigned char>(ByteAt(request, 3));
        break;
    case 15:
        state.Clock().Set(Get32(request, 3));
        break;
    case 16:
        SetDisplayMode(state, request);
        break;
    case 22:
        display.frame = Get16(request, 4);
        break;
    case 23:
        return RunningMessage(state, request);
    default:
        break;
    }
    return ReplyTo(request);
}

} // namespace

Bytes DisplayCommand(SignState& state, CommandKey key, std::span<const unsigned char> request)
{
    return key.extended ? Extended(state, key, request) : Basic(state, key, request);
}

bool RebootsAfter(CommandKey key, std::span<const unsigned char> request)
{
    return key == kResetDisplay || (key == kSetDisplayMode && ByteAt(request, 2) == kModeCleanMemory);
}

Bytes StatusRecord(SignState& state, std::span<const unsigned char> request)
{
    const DisplayState& display = state.Display();
    const ControllerSettings& settings = state.Settings();
    Bytes record = ReplyTo(request);
    PutName(record, 2, 17, display.message);
    PutName(record, 19, 17, display.schedule);
    record.at(36) = display.dimLevel;
    record.at(37) = display.dimAuto ? 1 : 0;
    Put16(record, 38, static_cast<std::uint16_t>(static_cast<std::int16_t>(settings.temperature)));
    Put32(record, 40, static_cast<std::uint32_t>(settings.totalMemory));
    Put32(record, 44, static_cast<std::uint32_t>(state.FreeMemory()));
    Put32(record, 48, state.Clock().Now());
    record.at(52) = display.blank ? 1 : 0;
    record.at(53) = display.displayMode[0];
    record.at(54) = display.displayMode[1];
    record.at(55) = display.testPattern;
    return record;
}

} // namespace qvxsim
