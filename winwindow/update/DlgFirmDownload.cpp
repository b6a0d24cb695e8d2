#include "winwindow/update/DlgFirmDownload.h"

#include "winwindow/update/UpdateResources.h"
#include "winwindow/widgets/WinText.h"
#include "winwindow/widgets/WindowMessages.h"

#include <commdlg.h>

#include <vector>

namespace {

// Long enough for any path the file dialog hands back.
constexpr DWORD kPathBuffer = 32768;

// What follows the last separator; a path that ends in one has no name.
std::string BareName(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

} // namespace

bool CDlgFirmDownload::Create(HWND pageArea, HWND notify)
{
    return CreatePage(pageArea, notify, IDD_QVX_FIRMWARE_PAGE);
}

bool CDlgFirmDownload::OnInitDialog()
{
    EnablePage(false);
    return false;
}

void CDlgFirmDownload::EnablePage(bool enable)
{
    m_bEnabled = enable;
    UpdateEnabled();
}

void CDlgFirmDownload::UpdateEnabled() const
{
    EnableItems({IDC_FW_OTHER, IDC_FW_DOWNLOAD}, m_bEnabled);
    // The path is used only for another file: without the box it would look as if it were.
    EnableItems({IDC_FW_PATH, IDC_FW_BROWSE}, m_bEnabled && IsOtherFirmware());
}

void CDlgFirmDownload::SetCurrentFirmware(const std::string& version)
{
    SetItemText(Hwnd(), IDC_FW_CURRENT, version);
}

void CDlgFirmDownload::SetRecommendedFirmware(const std::string& version)
{
    SetItemText(Hwnd(), IDC_FW_RECOMMENDED, version);
}

void CDlgFirmDownload::ShowFileCheck(const std::string& text)
{
    SetItemText(Hwnd(), IDC_FW_FILE_CHECK, text);
}

bool CDlgFirmDownload::IsOtherFirmware() const
{
    return Hwnd() != nullptr && IsDlgButtonChecked(Hwnd(), IDC_FW_OTHER) == BST_CHECKED;
}

std::string CDlgFirmDownload::FirmwarePath() const
{
    return Hwnd() != nullptr ? ItemText(Hwnd(), IDC_FW_PATH) : std::string();
}

std::string CDlgFirmDownload::FirmwareName() const
{
    return m_strName;
}

void CDlgFirmDownload::OnCommand(int id, int code, HWND)
{
    if (id == IDC_FW_PATH && code == EN_CHANGE) {
        OnPathChanged();
        return;
    }
    if (code != BN_CLICKED)
        return;
    if (id == IDC_FW_OTHER)
        OnOtherToggled();
    else if (id == IDC_FW_BROWSE)
        OnBrowse();
    else if (id == IDC_FW_DOWNLOAD)
        OnDownload();
}

void CDlgFirmDownload::OnOtherToggled()
{
    UpdateEnabled();
    if (!IsOtherFirmware())
        ShowFileCheck(std::string());
    Notify(winmsg::kFirmwareFileChanged);
}

void CDlgFirmDownload::OnPathChanged()
{
    // A typed path names its own file: the kept name follows it.
    m_strName = BareName(FirmwarePath());
    if (IsOtherFirmware())
        Notify(winmsg::kFirmwareFileChanged);
}

void CDlgFirmDownload::OnBrowse()
{
    std::vector<wchar_t> file(kPathBuffer, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetAncestor(Hwnd(), GA_ROOT);
    dialog.lpstrFilter = L"EXE Files (*.exe)\0*.exe\0\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kPathBuffer;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_LONGNAMES | OFN_EXPLORER;
    if (!GetOpenFileNameW(&dialog))
        return; // cancelled
    file.back() = L'\0';
    const std::wstring path(file.data());
    SetItemText(Hwnd(), IDC_FW_PATH, ToolTextOf(path));
    if (dialog.nFileOffset < path.size())
        m_strName = ToolTextOf(std::wstring_view(path).substr(dialog.nFileOffset));
}

void CDlgFirmDownload::OnDownload()
{
    const bool other = IsOtherFirmware();
    if (other && FirmwarePath().empty()) {
        MessageBoxW(GetAncestor(Hwnd(), GA_ROOT), L"Please enter a Firmware File before downloading.",
                    L"QVXFirmInstaller", MB_OK | MB_ICONWARNING);
        return;
    }
    Notify(winmsg::kDownloadFirmware, other ? 1 : 0);
}
