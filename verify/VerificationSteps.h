#pragma once
// What each verification step sends, over the link operations of one display: a verification
// message with its font, run at once; and the factory restore, which wipes the display's messages,
// schedules and fonts and sends the factory set of its firmware line. Link results do not stop a
// step (the technician judges by the display); only an operator's abort does.

#include "verify/SignOperations.h"
#include "verify/VerificationDisplay.h"

#include <string>

// What a restore did, for callers that report it (the command line).
enum class FactorySet { None, Package, Hitech };

struct FactoryRestoreReport {
    FactorySet set = FactorySet::None; // none: the display type has no set of its line
    bool bDirectoryRead = false;       // false: nothing was deleted
    int nDeleted = 0;                  // message, schedule and font files deleted
    int nNotDeleted = 0;               // deletes the controller refused
    int nSent = 0;                     // files the controller took
    int nNotSent = 0;                  // sends that failed
    int nRunsFailed = 0;               // package messages that would not run
    bool bCancelled = false;           // stopped by an abort; the rest was not sent

    // The directory was read and every delete, send and run was answered done (a display type
    // without a set counts as complete: there was nothing to send).
    bool IsComplete() const
    {
        return bDirectoryRead && !bCancelled && nNotDeleted == 0 && nNotSent == 0 && nRunsFailed == 0;
    }
};

// Sends the message under name (nothing when it is empty: no template), the small font, blanks
// the display and runs the message.
void SendVerificationMessage(ISignOperations& ops, const std::string& name, const std::string& message);

// Blanks the display and deletes every .M2M, .M2S and .FNT file its DIRECTORY.XML lists.
void WipeMessageFiles(ISignOperations& ops, FactoryRestoreReport& report);
// The fonts, then the display type's five messages, each run after it is sent.
void SendPackageFactorySet(ISignOperations& ops, const VerificationDisplay& display, FactoryRestoreReport& report);
// The eight message files, the type's font, the play status and the play order (compressed).
void SendHitechFactorySet(ISignOperations& ops, const VerificationDisplay& display, unsigned long holdTimeMs,
                          FactoryRestoreReport& report);
// The wipe, then the set of the display's firmware line.
FactoryRestoreReport RestoreFactorySet(ISignOperations& ops, const VerificationDisplay& display,
                                       unsigned long holdTimeMs);
