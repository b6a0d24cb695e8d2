#include "winwindow/update/ConfigDownloadDialog.h"

bool RunConfigDownload(HWND, const ConfigurationLists&, ConfigurationChoice&)
{
    return false;
}
