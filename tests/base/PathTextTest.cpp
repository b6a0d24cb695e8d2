// Where each reading of a path puts the end of its folder; the readings differ on purpose, and on
// Windows a '/' ends a folder only in a local path.
#include "base/PathText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qvxbase::PathReading;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

TEST(PathText, FolderPartByReading)
{
    const struct {
        const char* path;
        const char* local;
        const char* storedName;
        const char* versionTitle;
    } cases[] = {
        {"C:\\fw\\FX40211.EXE", "C:\\fw\\", "C:\\fw\\", "C:\\fw\\"},
        {"C:FX40211.EXE", "", "C:", ""}, // only a stored name starts after a drive's colon
        {"logs/a\\b", "logs/a\\", "logs/a\\", "logs/a\\"},
        {"a\\b/c", "a\\b/", kWindows ? "a\\" : "a\\b/", kWindows ? "a\\" : "a\\b/"},
        {"/srv/fw", "/srv/", kWindows ? "" : "/srv/", kWindows ? "" : "/srv/"},
        {"FX40211.EXE", "", "", ""},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qvxbase::FolderPartOf(c.path), c.local) << c.path;
        EXPECT_EQ(qvxbase::FolderPartOf(c.path, PathReading::StoredName), c.storedName) << c.path;
        EXPECT_EQ(qvxbase::FolderPartOf(c.path, PathReading::VersionTitle), c.versionTitle) << c.path;
        EXPECT_EQ(std::string(qvxbase::FolderPartOf(c.path, PathReading::StoredName)) +
                      std::string(qvxbase::NamePartOf(c.path, PathReading::StoredName)),
                  c.path);
    }
}

TEST(PathText, SeparatorAddedOnlyWhereOneIsMissing)
{
    const std::string native(1, qvxbase::kFolderSeparator);
    EXPECT_EQ(qvxbase::kFolderSeparator, kWindows ? '\\' : '/');
    EXPECT_EQ(qvxbase::WithFolderSeparator("logs"), "logs" + native);
    EXPECT_EQ(qvxbase::WithFolderSeparator("logs", '/'), "logs/");
    EXPECT_EQ(qvxbase::WithFolderSeparator("logs/"), "logs/");
    EXPECT_EQ(qvxbase::WithFolderSeparator("logs\\", '/'), "logs\\");
    EXPECT_EQ(qvxbase::WithFolderSeparator(""), ""); // the current folder stays unnamed
}

} // namespace
