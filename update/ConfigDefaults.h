#pragma once
// The fixed values every CONFIG.XML template carries (res/config/), and the settings the
// recommended-configuration check looks for. The tests hold the template files to these, so a
// change here goes with regenerated templates.

namespace ConfigDefaults {

// Sign port and network of the recommended configuration.
inline constexpr char kBaud[] = "115200";
inline constexpr char kSubnetMask[] = "255.255.0.0";
inline constexpr char kProtocolMain[] = "HTCH"; // FX40211 line
inline constexpr char kProtocolLine[] = "S22";  // FP9023417 line
// A private address every display is given, so a laptop on the store's service network finds it.
inline constexpr char kIpAddress[] = "192.168.200.10";
// M3 templates only; on the display's own network.
inline constexpr char kGateway[] = "192.168.200.1";

// M3 service addresses (reserved example domains until a store is set up) and the login.
inline constexpr char kDiagnosticsUrl[] = "http://diag.qvx-signs.example/M2Service/Diagnostics.qvxx";
inline constexpr char kUpdateUrl[] = "http://update.qvx-signs.example/httphandler/service.ashx";
inline constexpr char kPlayerUrl[] = "http://player.qvx-signs.example/embeddedplayerservice/playerservice.ashx";
inline constexpr char kPollUrl[] = "http://player.qvx-signs.example/poll.ashx";
inline constexpr char kUserName[] = "qvxadmin";

// The zone the templates are stored with, before SetTemplateTimeZone replaces it.
inline constexpr int kTemplateZone = -360;

} // namespace ConfigDefaults
