#include "update/JobTimeModel.h"

namespace {

enum class Answer { Connected, NotOurs, None };

// Where each display of the line stands while the job goes through its tasks.
class CLineReplay {
public:
    explicit CLineReplay(const std::vector<DisplayCosts>& displays) : m_displays(displays)
    {
        for (const DisplayCosts& display : displays)
            m_modes.push_back(display.mode);
    }

    // The customer protocol's attempt: the query; a display of ours in it is pinged and switched
    // (ping answered like the query, the switch only written), and both end with a reset.
    Answer CustomerAttempt(std::size_t i, double& seconds)
    {
        const DisplayCosts& d = m_displays[i];
        switch (m_modes[i]) {
        case LineMode::Controller:
            seconds += d.signSilent + d.resetAnswered;
            return Answer::Connected;
        case LineMode::Customer:
            seconds += 2 * d.signAnswered + d.resetAnswered;
            m_modes[i] = LineMode::Controller;
            return Answer::Connected;
        case LineMode::NotOurs:
            seconds += d.signAnswered;
            return Answer::NotOurs;
        case LineMode::Silent:
            break;
        }
        seconds += d.signSilent + d.resetSilent;
        return Answer::None;
    }

    Answer ControllerAttempt(std::size_t i, double& seconds)
    {
        const DisplayCosts& d = m_displays[i];
        if (m_modes[i] == LineMode::Controller) {
            seconds += d.resetAnswered;
            return Answer::Connected;
        }
        seconds += d.resetSilent;
        return Answer::None;
    }

    // The two attempts of a list, in its order, until one settles it.
    Answer Connect(std::size_t i, bool customerFirst, double& seconds)
    {
        Answer answer = customerFirst ? CustomerAttempt(i, seconds) : ControllerAttempt(i, seconds);
        if (answer == Answer::None)
            answer = customerFirst ? ControllerAttempt(i, seconds) : CustomerAttempt(i, seconds);
        return answer;
    }

    // Both refresh passes over the line, as each task begins.
    double Refresh()
    {
        double seconds = 0;
        for (std::size_t j = 0; j < m_displays.size(); ++j)
            Connect(j, true, seconds);
        for (std::size_t j = 0; j < m_displays.size(); ++j) {
            for (int attempt = 0; attempt < 2; ++attempt) {
                if (Connect(j, false, seconds) == Answer::Connected) {
                    seconds += m_displays[j].statusRead;
                    break;
                }
            }
        }
        return seconds;
    }

    // The display's own task after the refresh: connection, files, and the install with its check
    // (a reconnection, a status read, the reset) and the restart wait before the next display.
    double Work(std::size_t i, bool anotherFollows, const InstallWaits& waits)
    {
        const DisplayCosts& d = m_displays[i];
        double seconds = 0;
        if (Connect(i, false, seconds) != Answer::Connected)
            return seconds;
        seconds += d.configRead + d.statusRead;
        if (!d.bUpdate)
            return seconds;
        seconds += d.transfer + waits(d.bFirmwareLine, anotherFollows);
        m_modes[i] = d.mode; // it boots into its own protocol
        CustomerAttempt(i, seconds);
        seconds += d.statusRead + d.resetAnswered;
        m_modes[i] = d.mode;
        if (anotherFollows)
            CustomerAttempt(i, seconds);
        return seconds;
    }

private:
    const std::vector<DisplayCosts>& m_displays;
    std::vector<LineMode> m_modes;
};

} // namespace

std::vector<double> EstimateLineTasks(const std::vector<DisplayCosts>& displays, const InstallWaits& waits)
{
    CLineReplay line(displays);
    std::vector<double> tasks;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const double refresh = line.Refresh();
        tasks.push_back(refresh + line.Work(i, i + 1 < displays.size(), waits));
    }
    return tasks;
}
