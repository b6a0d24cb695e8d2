#include "WizardCapture.h"

#include <cstdint>

namespace {

constexpr int kMaxSide = 8192;

} // namespace

bool SaveWizardPicture(HWND window, const std::wstring& path)
{
    RECT frame{};
    if (window == nullptr || !GetWindowRect(window, &frame))
        return false;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    if (bitmap == nullptr || dc == nullptr || bits == nullptr) {
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        if (dc != nullptr)
            DeleteDC(dc);
        return false;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    // Wine's PrintWindow leaves out the child windows (a sheet's page): what the screen shows of
    // a window on top is the same picture.
    bool drawn = false;
    if (HDC screen = GetDC(nullptr)) {
        SetForegroundWindow(window);
        drawn = BitBlt(dc, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY) != FALSE;
        ReleaseDC(nullptr, screen);
    }
    if (!drawn)
        drawn = PrintWindow(window, dc, 0) != FALSE;
    GdiFlush();

    const std::uint32_t imageSize = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 4;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4d42; // "BM"
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    bool written = false;
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
        const auto put = [out](const void* data, DWORD size) {
            DWORD done = 0;
            return WriteFile(out, data, size, &done, nullptr) != FALSE && done == size;
        };
        written = put(&file, sizeof(file)) && put(&info.bmiHeader, sizeof(info.bmiHeader)) && put(bits, imageSize);
        CloseHandle(out);
    }
    written = written && drawn;

    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return written;
}
