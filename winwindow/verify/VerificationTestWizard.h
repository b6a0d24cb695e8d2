#pragma once
// The verification test wizard as a wizard property sheet over the connected display: message
// one and its photo check, message two (store number, date, temperature) and its check, then the
// factory messages restored. Steps run as core operations behind the main window's progress
// window; while the sheet is open the wizard's own keep-alive refreshes the connection.

#include <windows.h>

class CInstallerCore;
class CUiCalls;

enum class WizardEnd { Finished, Cancelled };

// Shows the wizard modally for the display the core is connected to. Finished: the caller
// disconnects the display; Cancelled: the connection stays.
WizardEnd RunVerificationWizard(HWND owner, CUiCalls& calls, CInstallerCore& core, int address);
