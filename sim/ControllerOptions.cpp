#include "sim/ControllerOptions.h"

#include "sim/OptionValues.h"

#include <algorithm>
#include <array>

namespace qvxsim {

namespace {

using Config = ControllerConfig;

constexpr unsigned long kMaxRebootMs = 3600000; // an hour: longer is "never comes back", a flag of its own

constexpr std::array<ControllerOption, 11> kOptions{{
    {"--reboot-ms", true,
     [](const std::string& v, Config& c) { return ParseNumber(v, 0ul, kMaxRebootMs, &c.behaviour.rebootMs); }},
    {"--keep-old-firmware", false, [](const std::string&, Config& c) { return c.behaviour.keepOldFirmware = true; }},
    {"--silent-after-reboot", false,
     [](const std::string&, Config& c) { return c.behaviour.silentAfterReboot = true; }},
    {"--no-final-reply", false,
     [](const std::string&, Config& c) { return c.behaviour.noFinalReplyForLineImages = true; }},
    {"--reboot-at-block", true,
     [](const std::string& v, Config& c) { return ParseNumber(v, 1u, 65535u, &c.behaviour.rebootAtBlock); }},
    {"--refuse-directory", false, [](const std::string&, Config& c) { return c.behaviour.refuseDirectory = true; }},
    {"--seed", true,
     [](const std::string& v, Config& c) {
         return ParseNumber<std::uint32_t>(v, 0, 0xFFFFFFFF, &c.randomFaults.seed);
     }},
    {"--random-noise", true, [](const std::string& v, Config& c) { return ParseChance(v, &c.randomFaults.noise); }},
    {"--random-corrupt", true,
     [](const std::string& v, Config& c) { return ParseChance(v, &c.randomFaults.corrupt); }},
    {"--random-drop", true, [](const std::string& v, Config& c) { return ParseChance(v, &c.randomFaults.drop); }},
    {"--random-reboot", true,
     [](const std::string& v, Config& c) { return ParseChance(v, &c.randomFaults.rebootEarly); }},
}};

} // namespace

const ControllerOption* FindControllerOption(const std::string& name)
{
    const auto it = std::find_if(kOptions.begin(), kOptions.end(),
                                 [&](const ControllerOption& option) { return option.name == name; });
    return it == kOptions.end() ? nullptr : &*it;
}

std::string ControllerOptionsUsage()
{
    return "Firmware and reboots (after --addr). The reset-display command (0x80 11) is answered, then\n"
           "the controller reboots: silent on both protocols, back in its power-up protocol with no\n"
           "transfer open, booting the newest .EXE image sent since its last boot if that is a 32-bit\n"
           "big-endian ELF executable with a .m2_rev_id revision text (vr becomes NAME-a.b.c). An image\n"
           "whose name holds FP9023417 makes it reboot by itself once stored.\n"
           "  --reboot-ms MS        silence after a reboot, 0..3600000, scaled by QVX_TIME_SCALE\n"
           "                        (default 8000)\n"
           "  --keep-old-firmware   reboot, but come back on the old version whatever image was sent\n"
           "  --silent-after-reboot never answer again after the next reboot\n"
           "  --no-final-reply      leave the last block of an FP9023417 image unanswered and reboot\n"
           "                        at once (default: answer it, then reboot)\n"
           "  --reboot-at-block N   reboot when file upload block N arrives, once; the block goes\n"
           "                        unanswered and the partial file is dropped\n"
           "  --refuse-directory    answer every get of DIRECTORY.XML with status 2 (no files)\n"
           "\n"
           "Random faults (after --addr): each reply draws each fault independently, the same seed\n"
           "and the same frames giving the same faults; chances P from 0 to 1 (default 0).\n"
           "  --seed N              where the draws start (default 1)\n"
           "  --random-noise P      1..16 noise bytes before a reply\n"
           "  --random-corrupt P    one byte of a reply changed, so that a checksum fails\n"
           "  --random-drop P       no reply (the command is still carried out)\n"
           "  --random-reboot P     per file upload block: reboot there, dropping the partial file\n";
}

} // namespace qvxsim
