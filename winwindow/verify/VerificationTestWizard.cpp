#include "winwindow/verify/VerificationTestWizard.h"

WizardEnd RunVerificationWizard(HWND, CUiCalls&, CInstallerCore&, int)
{
    return WizardEnd::Cancelled;
}
