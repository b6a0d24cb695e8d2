#include "verify/VerificationSteps.h"

#include "base/AsciiCase.h"
#include "files/M2Files.h"
#include "link/S22NetResult.h"
#include "verify/FactoryMessages.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <vector>

namespace {

constexpr char kSmallFont[] = "FW08X5_1.FNT";
constexpr char kDirectory[] = "DIRECTORY.XML";
constexpr char kPlayStatus[] = "playstatus.dat";
constexpr char kPlayOrder[] = "playorder.dat";
// What a wipe deletes, by extension.
constexpr std::string_view kWipedExtensions[] = {"M2M", "M2S", "FNT"};

std::span<const unsigned char> Bytes(std::string_view text)
{
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

bool IsWipedFile(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view extension = name.substr(dot + 1);
    return std::any_of(std::begin(kWipedExtensions), std::end(kWipedExtensions),
                       [&](std::string_view wiped) { return EqualNoCase(extension, wiped); });
}

// False once the operator has aborted: the caller stops there.
bool GoOn(ISignOperations& ops, FactoryRestoreReport& report)
{
    if (ops.IsCancelled())
        report.bCancelled = true;
    return !report.bCancelled;
}

// One file of a set; an empty one (a resource the program lacks) is skipped.
bool Send(ISignOperations& ops, const std::string& name, std::span<const unsigned char> bytes,
          FactoryRestoreReport& report, bool compressed = false)
{
    if (!GoOn(ops, report))
        return false;
    if (bytes.empty())
        return true;
    const short result = compressed ? ops.SendCompressedFile(name, bytes) : ops.SendFile(name, bytes);
    ++(result == S22NET_OK ? report.nSent : report.nNotSent);
    return true;
}

} // namespace

void SendVerificationMessage(ISignOperations& ops, const std::string& name, const std::string& message)
{
    if (!message.empty())
        ops.SendFile(name, Bytes(message));
    if (const auto font = VerificationFont(kSmallFont); !font.empty() && !ops.IsCancelled())
        ops.SendFile(kSmallFont, font);
    if (ops.IsCancelled())
        return;
    ops.BlankDisplay();
    if (!ops.IsCancelled())
        ops.RunMessage(name, 0);
}

void WipeMessageFiles(ISignOperations& ops, FactoryRestoreReport& report)
{
    ops.BlankDisplay();
    if (!GoOn(ops, report))
        return;
    const std::optional<std::string> directory = ops.GetFile(kDirectory);
    std::vector<std::string> names;
    CM2Files files;
    if (!directory || !files.LoadDirectoryText(*directory, names))
        return; // nothing is deleted; the factory set is still sent
    report.bDirectoryRead = true;
    for (const std::string& name : names) {
        if (!IsWipedFile(name))
            continue;
        if (!GoOn(ops, report))
            return;
        ++(ops.RemoveFile(name) == S22NET_OK ? report.nDeleted : report.nNotDeleted);
    }
}

void SendPackageFactorySet(ISignOperations& ops, const VerificationDisplay& display, FactoryRestoreReport& report)
{
    for (const char* font : PackageFontNames())
        if (!Send(ops, font, VerificationFont(font), report))
            return;
    const auto type = SelectPackageDisplay(display.nWidth, display.nHeight, display.nColourBitCode);
    if (!type)
        return;
    report.set = FactorySet::Package;
    for (int message = 0; message < kPackageMessageCount; ++message) {
        const std::string name = PackageMessageFileName(message);
        if (!Send(ops, name, Bytes(BuildPackageMessage(*type, message)), report) || !GoOn(ops, report))
            return;
        // The first message starts the controller's cycle; the others join it.
        const unsigned char first = message == 0 ? 1 : 0;
        if (ops.RunMessage(name, first) != S22NET_OK)
            ++report.nRunsFailed;
    }
}

void SendHitechFactorySet(ISignOperations& ops, const VerificationDisplay& display, unsigned long holdTimeMs,
                          FactoryRestoreReport& report)
{
    const auto type = SelectHitechDisplay(display.nWidth, display.nHeight, display.nColourBitCode);
    if (!type)
        return;
    report.set = FactorySet::Hitech;
    for (int message = 0; message < kHitechMessageCount; ++message)
        if (!Send(ops, HitechMessageFileName(message), BuildHitechMessage(*type, message), report))
            return;
    const char* font = HitechFontName(*type);
    if (!Send(ops, font, VerificationFont(font), report) || !Send(ops, kPlayStatus, PlayStatusFile(), report))
        return;
    // Nothing is run: the controller plays the set by the play order.
    Send(ops, kPlayOrder, BuildPlayOrder(holdTimeMs), report, true);
}

FactoryRestoreReport RestoreFactorySet(ISignOperations& ops, const VerificationDisplay& display,
                                       unsigned long holdTimeMs)
{
    FactoryRestoreReport report;
    WipeMessageFiles(ops, report);
    if (!GoOn(ops, report))
        return report;
    if (display.bFirmwareLine)
        SendPackageFactorySet(ops, display, report);
    else
        SendHitechFactorySet(ops, display, holdTimeMs, report);
    return report;
}
