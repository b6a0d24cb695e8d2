#pragma once
// The modal "Download Configuration" dialog the configuration check offers: the generation
// filter, the types and the time zone; "Download Configuration" is on only with a type and a zone
// chosen.

#include "connection/InstallerView.h"

#include <windows.h>

// True when the operator chose "Download Configuration", with the choice; false on Cancel.
bool RunConfigDownload(HWND owner, const ConfigurationLists& lists, ConfigurationChoice& choice);
