#include "app/PellworthCmdLineInfo.h"

#include "FakePathSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(CmdLinePaths, LogFolderIsCreatedFromTheRootDown)
{
    const struct {
        const char* name;
        PathStyle style;
        const char* value;
        std::set<std::string> present, unreachable;
        bool refuseCreate;
        std::vector<std::string> created;
        bool logging;
    } cases[] = {
        {"made in order", PathStyle::Posix, "/var/qvx/a/log.txt", {"/", "/var"}, {}, false,
         {"/var/qvx", "/var/qvx/a"}, true},
        {"file at the root", PathStyle::Posix, "/log.txt", {"/"}, {}, false, {}, true},
        {"failed creation ends the walk", PathStyle::Posix, "/var/qvx/a/log.txt", {"/", "/var"}, {},
         true, {}, false},
        {"relative value below the program's folder", PathStyle::Posix, "logs/a/log.txt",
         {"/", "/opt", "/opt/qvx"}, {}, false, {"/opt/qvx/logs", "/opt/qvx/logs/a"}, true},
        {"drive folders", PathStyle::Windows, "D:\\a\\b\\log.txt", {"D:"}, {}, false,
         {"D:\\a", "D:\\a\\b"}, true},
        {"missing drive", PathStyle::Windows, "D:\\a\\b\\log.txt", {}, {"D:\\a"}, false, {}, false},
        {"UNC share", PathStyle::Windows, "\\\\srv\\share\\logs\\log.txt", {"\\\\srv\\share"}, {}, false,
         {"\\\\srv\\share\\logs"}, true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        FakePathSystem paths;
        paths.folders = test.present;
        paths.unreachable = test.unreachable;
        paths.refuseCreate = test.refuseCreate;
        CPellworthCmdLineInfo info(paths, test.style);
        info.Parse({"-l1", "-lf", test.value});
        info.GetLogFilePath();
        EXPECT_EQ(paths.created, test.created);
        EXPECT_EQ(info.IsLogging(), test.logging);
    }
}

#ifndef _WIN32 // the POSIX path system on a real file system
TEST(CmdLinePaths, RealLogFolderIsMadeUnlessAFileIsInTheWay)
{
    std::string temp = (fs::temp_directory_path() / "qvx_app_XXXXXX").string();
    ASSERT_NE(mkdtemp(temp.data()), nullptr);
    std::ofstream(temp + "/blocker") << "x";
    const std::pair<std::string, bool> cases[] = {{temp + "/a/b/log.txt", true},
                                                  {temp + "/blocker/sub/log.txt", false}};
    CPosixPathSystem paths;
    for (const auto& [logFile, logging] : cases) {
        CPellworthCmdLineInfo info(paths);
        info.Parse({"-l1", "-lf", logFile});
        EXPECT_EQ(info.GetLogFilePath(), logFile);
        EXPECT_EQ(info.IsLogging(), logging) << logFile;
        EXPECT_EQ(fs::is_directory(fs::path(logFile).parent_path()), logging) << logFile;
    }
    fs::remove_all(temp);
}

TEST(CmdLinePaths, ProgramFolderHoldsTheRunningProgram)
{
    const std::string folder = CPosixPathSystem().ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(CPosixPathSystem().FileExists(folder + "test_app"));
}
#endif

// 259 characters and the terminator fit; one more is refused, not cut.
TEST(CmdLinePaths, PathsLongerThanTheLimitAreRefused)
{
    const std::string folder = "/opt/qvx/";
    const std::string relative(QVX_MAX_PATH - 1 - folder.size(), 'r');
    const std::string absolute = "/" + std::string(QVX_MAX_PATH - 2, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {relative, folder + relative}, {relative + "r", ""}, {absolute, absolute}, {absolute + "a", ""}};
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value.size());
        FakePathSystem paths;
        paths.folders.insert("/");
        paths.files.insert(value);
        CPellworthCmdLineInfo info(paths);
        info.Parse({"-l1", "-f", value, "-df", value, "-lf", value});
        EXPECT_EQ(info.GetFirmwareFilePath(), expected);
        EXPECT_EQ(info.GetDisplaysFilePath(), expected);
        EXPECT_EQ(info.GetLogFilePath(), expected);
        EXPECT_EQ(info.IsLogging(), !expected.empty());
    }
}

}  // namespace
