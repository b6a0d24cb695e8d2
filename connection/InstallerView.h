#pragma once
// What the window-free core needs from whatever shows it: a console for the unattended run and
// the tests, the Qt window for technicians. Every call may come from a worker thread; a view that
// owns a user interface thread hands the call over to it.

#include "connection/DisplayLists.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

// How the progress window of an operation shows its progress: a bar that the operation steps
// (the firmware download), or a running indicator (everything else).
enum class ProgressKind { Running, Stepped };

// What the "Download Configuration" dialog shows: lists of (key, text) items.
struct ConfigurationLists {
    std::vector<std::pair<int, std::string>> filters;                     // first selected
    std::function<std::vector<std::pair<int, std::string>>(int)> typesOf; // a filter's types
    int nDisplayKey = -1; // the display's own type: selected where a type list has it, else none is
    std::vector<std::string> timeZones;
    std::string initialTimeZone; // selected; one the list does not have selects none
};

// What a view shows of the display session: whether a display is connected (the controls that
// need one are enabled then), the port and address in use (port 0: the list's first), and whether
// an operation is under way. nPlaced counts the times the session placed a port and address: a
// view shows them afresh whenever it changes, even where the operator had typed another.
// nVersion counts the states shown: a view that gets them by more than one road drops one older
// than the last it showed.
struct SessionState {
    bool bConnected = false;
    int nPort = 0;
    int nAddress = 1;
    bool bBusy = false;
    unsigned nPlaced = 0;
    unsigned long nVersion = 0;
    bool operator==(const SessionState&) const = default;
};

// The operator's choice in that dialog: a type's key and a time zone's name.
struct ConfigurationChoice {
    int nKey = -1;
    std::string strTimeZone;
};

class IInstallerView {
public:
    virtual ~IInstallerView() = default;

    // The message list: one line appended, in the order the core reports them.
    virtual void ShowMessageLine(const std::string& line) = 0;
    virtual void ClearMessageLines() = 0;

    // Runs a long operation. An interactive view runs work on a worker thread behind its modal
    // progress window of the given kind and returns when work has returned; the console runs it
    // inline.
    virtual void RunWithProgress(const std::function<void()>& work, ProgressKind kind) = 0;
    // The progress window of the running operation.
    virtual void SetProgressText(const std::string& text) = 0;
    // The bar's number of steps (its upper end), and one step forward; a running indicator
    // ignores both.
    virtual void SetProgressSteps(int steps) = 0;
    virtual void StepProgress() = 0;
    virtual void EnableAbort(bool enable) = 0;
    // A file send's progress in bytes of what goes on the wire (compressed data), after its start
    // frame and after every block; for views that show bytes and rates. The progress window
    // counts steps instead.
    virtual void ShowTransferProgress(const std::string& fileName, unsigned long bytesDone, unsigned long bytesTotal)
    {
        (void)fileName;
        (void)bytesDone;
        (void)bytesTotal;
    }

    // The progress of one of several serial lines worked at once (a parallel job), port naming the
    // line: its step text (allLines: every line's step, joined, for a view that has one place for
    // text), its file send in wire bytes, and the end of its work. One line's calls come in order;
    // several lines call at once.
    virtual void SetLineProgressText(int port, const std::string& text, const std::string& allLines)
    {
        (void)port;
        (void)text;
        SetProgressText(allLines);
    }
    virtual void ShowLineTransferProgress(int port, const std::string& fileName, unsigned long bytesDone,
                                          unsigned long bytesTotal)
    {
        (void)port;
        (void)fileName;
        (void)bytesDone;
        (void)bytesTotal;
    }
    virtual void EndLineProgress(int port, const std::string& allLines)
    {
        (void)port;
        SetProgressText(allLines);
    }

    // Questions and message boxes. A view that cannot ask (unattended) answers false.
    virtual bool AskYesNo(const std::string& question) = 0;
    virtual void ShowMessageBox(const std::string& text) = 0;
    // Runs the "Download Configuration" dialog; true when the operator chose (OK), false when
    // cancelled or when the view has no such dialog.
    virtual bool ChooseConfiguration(const ConfigurationLists& lists, ConfigurationChoice& choice)
    {
        (void)lists;
        (void)choice;
        return false;
    }

    // The session's state, each time it changes: the view derives its controls from it.
    virtual void ShowSessionState(const SessionState& state) { (void)state; }
    virtual void ShowDisplayLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status) = 0;
};

// A view that shows nothing, runs work inline and answers no: what an unattended run without a
// terminal shows, and a base for views that want only a few of the calls.
class CNoView : public IInstallerView {
public:
    void ShowMessageLine(const std::string&) override {}
    void ClearMessageLines() override {}
    void RunWithProgress(const std::function<void()>& work, ProgressKind) override { work(); }
    void SetProgressText(const std::string&) override {}
    void SetProgressSteps(int) override {}
    void StepProgress() override {}
    void EnableAbort(bool) override {}
    bool AskYesNo(const std::string&) override { return false; }
    void ShowMessageBox(const std::string&) override {}
    void ShowDisplayLists(const std::vector<InfoRow>&, const std::vector<InfoRow>&) override {}
};
