#pragma once
// Resource ids of the "Verification Test" page (verify/Verify.rc).

#define IDD_QVX_VERIFICATION_PAGE 130

#define IDC_WIZARD_PURPOSE 1061
#define IDC_WIZARD_BEFORE_START 1062
#define IDC_START_WIZARD 1060
