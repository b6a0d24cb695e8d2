#pragma once
// A fresh folder for the stand-in controller's COM links, named after the running test, with the
// environment pointed at it and the link's waits scaled down (the same rules, faster); the folder
// and the scale go again with it.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

class CTestPortDir {
public:
    explicit CTestPortDir(const std::string& prefix, const char* timeScale = "0.02")
        : m_path(std::filesystem::temp_directory_path() /
                 (prefix + "-" + std::to_string(::getpid()) + "-" + TestName()))
    {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
        ::setenv("QVX_PORT_DIR", m_path.c_str(), 1);
        ::setenv("QVX_TIME_SCALE", timeScale, 1);
    }
    ~CTestPortDir()
    {
        ::unsetenv("QVX_TIME_SCALE");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTestPortDir(const CTestPortDir&) = delete;
    CTestPortDir& operator=(const CTestPortDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    // A parameterised test's name holds a '/', which must not make a folder of its own.
    static std::string TestName()
    {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        return name;
    }

    std::filesystem::path m_path;
};
