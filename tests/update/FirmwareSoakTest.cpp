// Installs against controllers that corrupt, drop and garble replies and restart at random
// (seeded). Every run must end either verified with the controller holding exactly the image and
// running its version, or with a failure code of 500 or more in the log: never a success line
// for anything else. QVX_SOAK_RUNS sets the number of runs (make soak runs many).
#include "FirmwareFixture.h"

#include "res/Resources.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>

namespace {

int SoakRuns()
{
    const char* text = std::getenv("QVX_SOAK_RUNS");
    const int runs = text != nullptr ? std::atoi(text) : 0;
    return runs > 0 ? runs : 4;
}

class FirmwareSoak : public FirmwareTest {
protected:
    // The largest task code among the lines since the mark; -1 without one.
    int WorstCode() const
    {
        static const std::regex task(R"(^\[\*TASK ERROR (-?\d+)\*\])");
        int worst = -1;
        for (const std::string& line : LinesSinceMark()) {
            std::smatch match;
            if (std::regex_search(line, match, task))
                worst = std::max(worst, std::stoi(match[1]));
        }
        return worst;
    }

    // One install; the outcome's name for the table.
    std::string RunOnce(std::uint32_t seed)
    {
        const bool line = seed % 2 == 1;
        m_sim = std::make_unique<qvxsim::SignSim>(m_dir.string());
        qvxsim::PortConfig config;
        config.comNumber = kPort;
        config.baud = kBaud;
        qvxsim::ControllerConfig controller;
        controller.address = kAddress;
        controller.settings.firmwareVersion = line ? "FP9023417-3.10.0" : "FX40211-1.01.05";
        controller.randomFaults = {seed, 0.01, 0.004, 0.004, 0.0001};
        config.controllers.push_back(controller);
        std::string error;
        EXPECT_TRUE(m_sim->AddPort(config, &error) && m_sim->Start(&error)) << error;

        Mark();
        if (!Connect())
            return Failed("no connection", seed);
        EXPECT_TRUE(m_firmware->IsFirmwareUpdateNeeded()) << "seed " << seed;
        std::string target;
        if (!Install(target))
            return Failed("not installed", seed);
        Verify(target);
        return Judge(line, target, seed);
    }

    std::string Judge(bool line, const std::string& target, std::uint32_t seed)
    {
        const bool success = CountLines("[*TASK ERROR 0*]") > 0;
        if (!success)
            return Failed("not verified", seed);
        const int resource = line ? qvxres::kFirmwareFP9023417 : qvxres::kFirmwareFX40211;
        const std::string name = line ? "FP9023417.EXE" : "FX40211.EXE";
        EXPECT_EQ(StoredFile(name), EmbeddedImage(resource)) << "success reported for a wrong image, seed " << seed;
        EXPECT_EQ(Stats().bootedImage, name) << "seed " << seed;
        EXPECT_EQ(CompareVersions(RunningVersion(), target), 0) << "seed " << seed;
        EXPECT_LT(WorstCode(), 500) << "a success and a failure for one install, seed " << seed;
        return "verified";
    }

    static int CompareVersions(const std::string& a, const std::string& b);

    std::string Failed(const std::string& stage, std::uint32_t seed)
    {
        const int worst = WorstCode();
        EXPECT_GE(worst, 500) << stage << " without a failure code, seed " << seed;
        EXPECT_EQ(CountLines("[*TASK ERROR 0*]"), 0) << "seed " << seed;
        return stage + " (" + std::to_string(worst) + ")";
    }
};

} // namespace

#include "update/FirmwareVersion.h"

int FirmwareSoak::CompareVersions(const std::string& a, const std::string& b)
{
    return CompareFirmwareVersions(a, b);
}

namespace {

TEST_F(FirmwareSoak, NoFalseSuccess)
{
    const int runs = SoakRuns();
    const std::uint32_t firstSeed = 7001;
    std::map<std::string, int> outcomes;
    for (int run = 0; run < runs; ++run) {
        m_view.ClearMessageLines();
        m_mark = 0;
        ++outcomes[RunOnce(firstSeed + static_cast<std::uint32_t>(run))];
        m_core->Session().Disconnect();
    }
    std::printf("fault soak: %d installs, seeds %u..%u\n", runs, firstSeed, firstSeed + runs - 1);
    for (const auto& [outcome, count] : outcomes)
        std::printf("  %-28s %d\n", outcome.c_str(), count);
}

} // namespace
