#pragma once
// The serial lines of a display list worked at the same time: each line (COM port) gets a core
// of its own (its own link, session, runner and store of lines), a firmware installer and a
// configuration downloader on it, and a thread. The displays of one line are still worked one at
// a time, as they share the wire; the lines of a store go on side by side. The job's own core
// stays the one that hears the operator's Abort or a stop signal, and passes either on to every
// line.

#include "connection/InstallerCore.h"
#include "files/DisplayInfo.h"
#include "update/ConfigDownload.h"
#include "update/FirmwareInstaller.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// Each line's latest step text, joined for a view with one place for text.
class CLineProgressBoard {
public:
    explicit CLineProgressBoard(IInstallerView& jobView) : m_jobView(jobView) {}

    void SetText(int port, const std::string& text);
    void Transfer(int port, const std::string& fileName, unsigned long done, unsigned long total);
    // The line's work ended: its text goes.
    void End(int port);

private:
    // "COM1: <text>" for every line with a text, one per row, in port order. Under m_lock.
    std::string Joined() const;

    IInstallerView& m_jobView;
    mutable std::mutex m_lock;
    std::map<int, std::string> m_texts;
};

// What a line's core shows: its progress passed on to the job's view under its port. Its lines
// are not shown as they come: the job writes each display's lines whole when its task is done.
// Nobody answers its questions.
class CLineView final : public CNoView {
public:
    CLineView(int port, CLineProgressBoard& board) : m_nPort(port), m_board(board) {}

    void SetProgressText(const std::string& text) override { m_board.SetText(m_nPort, text); }
    void ShowTransferProgress(const std::string& fileName, unsigned long bytesDone,
                              unsigned long bytesTotal) override
    {
        m_board.Transfer(m_nPort, fileName, bytesDone, bytesTotal);
    }

private:
    int m_nPort;
    CLineProgressBoard& m_board;
};

// One line's own parts, made for the line's thread and used on it only.
class CLineWorkspace {
public:
    CLineWorkspace(int port, CLineProgressBoard& board, const FirmwareSwitches& switches);
    CLineWorkspace(const CLineWorkspace&) = delete;
    CLineWorkspace& operator=(const CLineWorkspace&) = delete;

    int Port() const { return m_nPort; }
    CInstallerCore& Core() { return m_core; }
    CFirmwareInstaller& Firmware() { return m_firmware; }
    CConfigDownloader& Config() { return m_config; }

private:
    int m_nPort;
    CLineView m_view;
    CInstallerCore m_core;
    CFirmwareInstaller m_firmware;
    CConfigDownloader m_config;
};

// One line's displays, in the job's order.
struct LineWork {
    int nPort = 0;
    std::vector<DisplayInfo> entries;
};

// Runs work for every line, each on a thread of its own with its own workspace, and returns when
// all have returned. A cancel of the job's core (an Abort, a stop signal), before or while they
// run, stops every line at once: the exchange under way on each ends, and nothing later starts.
// The job core's cancel listener is this call's while it runs.
void WorkLinesAtOnce(CInstallerCore& jobCore, const FirmwareSwitches& switches, const std::vector<LineWork>& lines,
                     const std::function<void(CLineWorkspace&, const LineWork&)>& work);
