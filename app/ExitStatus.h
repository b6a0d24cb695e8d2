#pragma once
// The exit statuses of every command-line form (-ping, -info and the display actions). The unattended
// job (-s) has its own rule: its job result code (0, 4 or 9), kJobRecordLost when a 0 or 4 could
// not be recorded, and kUsage when it cannot start.

#include "link/S22NetResult.h"

namespace exitstatus {

constexpr int kDone = 0;       // the display answered / was connected and read
constexpr int kNoAnswer = 1;   // the display did not answer (-loopback: nothing came back)
constexpr int kUsage = 2;      // bad switches, target or address; two forms; no window in this build
constexpr int kCannotOpen = 3; // the port is not there, or this user may not open it
constexpr int kBusy = 5;       // another program holds the port
constexpr int kNotOurs = 6;    // the display answered but is not a reader board of ours
constexpr int kRefused = 7;    // the display answered and refused (a command, the switch-over), or an
                               // action did not complete on it (its lines say why)
constexpr int kDiffers = 8;    // -checkconfig: the configuration differs from the recommended one
constexpr int kJobRecordLost = 10; // -s: the job ran (0 or 4), but the log asked for (-l1) or the
                                   // report (-report) could not be written
constexpr int kEchoes = 11;    // the line echoes what is sent (a loop-back plug, or an adapter echoing):
                               // every reply was the request's own bytes
constexpr int kEchoDiffers = 12; // -loopback: the echo stopped or differed partway (a faulty cable,
                                 // plug or adapter)

// -plan: every display read is current and nothing would be changed (kDone); the job would
// install firmware on a display or switch one from the customer protocol; or some display (or the
// list) could not be read, whatever else the plan found.
constexpr int kPlanWorkToDo = 13;
constexpr int kPlanUnread = 14;

// The display answered and said no: an unknown or bad command, or an error status.
inline bool IsRefusal(short result)
{
    return result == ERR_SIGN_UNSUPPORTED_COMMAND || result == ERR_SIGN_BAD_COMMAND || result == ERR_SIGN_RESPONSE_ERROR;
}

// 128 + the signal's number, as shells report a run a signal ended: 130 SIGINT, 143 SIGTERM, 129 SIGHUP.
constexpr int Interrupted(int signal)
{
    return 128 + signal;
}

} // namespace exitstatus
