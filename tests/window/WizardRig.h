#pragma once
// A core connected to one stand-in controller on a pty, for the verification wizard's tests and
// screenshots. The core's view runs its jobs inline; its keep-alive timer only records whether it runs.
#include "connection/CapturingView.h"
#include "connection/InstallerCore.h"
#include "connection/KeepAliveTimer.h"
#include "sim/SignSim.h"

#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

class CWizardRig {
public:
    static constexpr int kPort = 3;
    static constexpr unsigned char kAddress = 1;
    static constexpr unsigned long kBaud = 115200;

    // Waits scaled down as in the other tests against the controller: the same rules, faster.
    CWizardRig()
    {
        qputenv("QVX_PORT_DIR", m_dir.path().toLocal8Bit());
        qputenv("QVX_TIME_SCALE", "0.02");
        sim = std::make_unique<qvxsim::SignSim>(m_dir.path().toStdString());
        core = std::make_unique<CInstallerCore>(view, std::make_unique<CRecordingTimer>(coreTimerArmed));
    }
    ~CWizardRig()
    {
        core.reset();
        sim.reset();
        qunsetenv("QVX_TIME_SCALE");
    }

    // Starts the controller and connects as Auto Connect does, the display's lists included (they
    // fill the sign type); an empty text when connected, else why not.
    std::string Connect(const std::string& displayType, const std::string& moduleType, const std::string& version)
    {
        qvxsim::ControllerConfig controller{.address = kAddress};
        controller.settings = settings;
        controller.settings.displayType = displayType;
        controller.settings.moduleType = moduleType;
        controller.settings.firmwareVersion = version;
        std::string error;
        if (!sim->AddPort({.comNumber = kPort, .baud = kBaud, .controllers = {controller}}, &error) ||
            !sim->Start(&error))
            return error;
        std::vector<CONNECTION_INFO> list;
        CDisplayConnector::BuildConnectionList(list, kAddress, kPort, BaudChoice{true, static_cast<int>(kBaud)});
        if (core->Connector().ConnectToDisplay(list, kAddress).result != CONNECT_OK)
            return "no connection to the stand-in controller";
        core->Session().ShowDisplayInfo();
        view.progressTexts.clear();
        return {};
    }

    std::string Stored(const std::string& name) const
    {
        const auto bytes = sim->ReadFile(kPort, kAddress, name);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    }
    std::vector<std::string> Names() const { return sim->FileNames(kPort, kAddress); }
    std::string Showing() const { return sim->Display(kPort, kAddress).message; }

    // The controller's other settings (temperature, zone, ...), as Connect finds them.
    qvxsim::ControllerSettings settings;
    CCapturingView view;
    bool coreTimerArmed = false;
    std::unique_ptr<qvxsim::SignSim> sim;
    std::unique_ptr<CInstallerCore> core;

private:
    class CRecordingTimer final : public IKeepAliveTimer {
    public:
        explicit CRecordingTimer(bool& armed) : m_armed(armed) {}
        void Start(std::chrono::milliseconds) override { m_armed = true; }
        void Stop() override { m_armed = false; }

    private:
        bool& m_armed;
    };

    QTemporaryDir m_dir;
};
