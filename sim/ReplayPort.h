#pragma once
// One COM port of a replayed session: its pty and COM<n> link, and the thread that answers each
// recorded request with the bytes recorded after it, as late after the request as they came then
// (scaled by QVX_TIME_SCALE).

#include "sim/PortLink.h"
#include "sim/Pty.h"
#include "sim/ReplayMatcher.h"
#include "sim/Wakeup.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace qvxsim {

class ReplayPort {
public:
    // Takes each line to show (a request not answered, the port's requests all played), from the
    // port's own thread.
    using Say = std::function<void(const std::string&)>;

    // Creates the pty and publishes it as portDir/COM<n>; nullptr with a reason on failure, also
    // when another stand-in controller already publishes COM<n> there.
    static std::unique_ptr<ReplayPort> Create(RecordedPort port, const std::string& portDir, Say say,
                                              std::string* error);
    ~ReplayPort() { Stop(); }
    ReplayPort(const ReplayPort&) = delete;
    ReplayPort& operator=(const ReplayPort&) = delete;

    void Start();
    // Ends the thread promptly (also mid-reply) and removes the link. Final.
    void Stop();

    const std::string& SlavePath() const { return m_pty.SlavePath(); }
    // "COM<n> -> <slave path> (replay: <k> requests)"
    std::string Describe() const;

private:
    ReplayPort(RecordedPort port, Pty pty, PortLink link, Say say);

    void Serve();
    bool Play(const RecordedRequest& request, MonoTime matched);
    bool WriteAll(std::span<const unsigned char> bytes);

    Pty m_pty;
    std::optional<PortLink> m_link;
    Wakeup m_wakeup;
    ReplayMatcher m_matcher;
    Say m_say;
    double m_timeScale;
    std::thread m_thread;
};

} // namespace qvxsim
