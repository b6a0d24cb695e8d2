#pragma once
// The tool as another user (nobody) runs it. The build tree may sit in a folder only its owner can
// enter (Debian makes home folders 0700), so the executable and the protocol library it loads are
// copied into a fresh folder under /tmp that everyone may enter, and the run finds the library
// there. When that user still cannot start it, Problem() says why, for the test to skip.

#include "common/ToolProcess.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class CStagedTool {
public:
    static constexpr uid_t kNobody = 65534;

    // tool: the executable; library: the shared library it needs, by the name it is loaded as.
    CStagedTool(const std::string& tool, const std::string& library)
    {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/qvx-staged-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            m_problem = "no folder could be made under /tmp";
            return;
        }
        m_dir = pattern;
        std::error_code error;
        fs::permissions(m_dir, fs::perms(0755), error);
        m_tool = (m_dir / fs::path(tool).filename()).string();
        const fs::path staged[] = {m_tool, m_dir / fs::path(library).filename()};
        const std::string sources[] = {tool, library};
        for (int i = 0; i < 2 && !error; ++i) {
            fs::copy_file(sources[i], staged[i], error);
            if (!error) // a build made under a tight umask is for its owner only
                fs::permissions(staged[i], fs::perms(0755), error);
        }
        if (error) {
            m_problem = "the tool could not be copied to " + m_dir.string() + ": " + error.message();
            return;
        }
        const int status = WaitTool(StartTool(AsNobody({"--version"}), (m_dir / "version.err").string()));
        if (status != 0)
            m_problem = "nobody cannot run the tool even from " + m_dir.string() + " (exit status " +
                        std::to_string(status) + ": " + ReadText((m_dir / "version.err").string()) + ")";
    }
    ~CStagedTool()
    {
        std::error_code ignored;
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ignored);
    }
    CStagedTool(const CStagedTool&) = delete;
    CStagedTool& operator=(const CStagedTool&) = delete;

    // Empty when the staged tool runs as nobody; otherwise the reason it cannot.
    const std::string& Problem() const { return m_problem; }

    // The command line that runs the staged tool with args as nobody, without supplementary groups.
    std::vector<std::string> AsNobody(std::vector<std::string> args) const
    {
        std::vector<std::string> command = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                            "env", "LD_LIBRARY_PATH=" + m_dir.string(), m_tool};
        command.insert(command.end(), args.begin(), args.end());
        return command;
    }

private:
    std::filesystem::path m_dir;
    std::string m_tool;
    std::string m_problem;
};
