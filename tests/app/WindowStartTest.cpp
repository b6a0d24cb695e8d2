// A start that would open the window where there is no display server to open it on (a session
// over ssh, a service, a mistyped switch): one line and exit status 2, never an abort inside Qt;
// and --version, which needs no window at all.
#include "common/TestPortDir.h"
#include "common/ToolProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

// The variables that choose a display server, cleared for the test and put back after it.
class WindowStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
    }

    static constexpr const char* kNames[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"};
    CTestPortDir m_dir{"qvx-winstart"};
    std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

TEST_F(WindowStart, NoDisplayServerIsOneLineAndStatus2)
{
    const std::string needNone = "; -s, -ping, -info and the display actions need none (see --help).\n";
    const struct {
        const char* variable; // set to value for this run, or null
        const char* value;
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {nullptr, nullptr, {"--version"}, 0, ""},
#ifdef QVX_TOOL_HAS_WINDOW
        {nullptr, nullptr, {}, 2,
         "qvxfirminstaller: the window needs a display server, and none is set (DISPLAY and WAYLAND_DISPLAY are "
         "empty)" + needNone},
        {nullptr, nullptr, {"-pnig"}, 2,
         "qvxfirminstaller: note: -pnig is not a switch of this tool and is ignored.\n"
         "qvxfirminstaller: the window needs a display server, and none is set (DISPLAY and WAYLAND_DISPLAY are "
         "empty)" + needNone},
        {"QT_QPA_PLATFORM", "wayland;xcb", {"-a"}, 2,
         "qvxfirminstaller: the window needs a display server, and none is set for QT_QPA_PLATFORM=wayland;xcb" +
             needNone},
        // What Qt itself cannot start: a plugin that is not there, a display that does not answer.
        {"QT_QPA_PLATFORM", "nosuchplatform", {}, 2,
         "qvxfirminstaller: the window cannot be opened: Qt could not start a platform plugin "
         "(QT_QPA_PLATFORM=nosuchplatform, DISPLAY=(not set))" + needNone},
        {"DISPLAY", ":97", {}, 2,
         "qvxfirminstaller: the window cannot be opened: Qt could not start a platform plugin "
         "(QT_QPA_PLATFORM=(not set), DISPLAY=:97)" + needNone},
#endif
    };
    const std::string errPath = (m_dir.Path() / "stderr.txt").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variable ? std::string(c.variable) + "=" + c.value : std::string("nothing set"));
        if (c.variable)
            ::setenv(c.variable, c.value, 1);
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), QVX_TOOL_PATH);
        EXPECT_EQ(WaitTool(StartTool(args, errPath)), c.status);
        EXPECT_EQ(ReadText(errPath), c.err);
        if (c.variable)
            ::unsetenv(c.variable);
    }
}

} // namespace
