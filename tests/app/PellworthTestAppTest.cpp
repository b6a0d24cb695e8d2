#include "app/PellworthTestApp.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(PellworthTestApp, HelpPrintsUsageAndSucceeds)
{
    for (const char* request : {"-h", "--help", "/?"}) {
        std::ostringstream out;
        CPellworthTestApp app({"-ping", "COM1", request}, out);
        EXPECT_EQ(app.Run(), 0) << request;
        EXPECT_EQ(out.str(), CPellworthTestApp::UsageText()) << request;
    }
}

TEST(PellworthTestApp, UsageNamesEverySwitch)
{
    const std::string usage = CPellworthTestApp::UsageText();
    for (const char* item : {"-a ", "-s ", "-f <file>", "-l1 ", "-lf <file>", "-df <file>", "-anyfirm ",
                             "-b [rate]", "-ping COM<n>[:<address>]", "--help", "/?", "job result code"})
        EXPECT_NE(usage.find(item), std::string::npos) << item;
}

TEST(PellworthTestApp, InteractiveStartWithoutWindowFails)
{
    // A script must never read "nothing happened" as success.
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, std::vector<std::string>{"-a"}}) {
        std::ostringstream out, err;
        CPellworthTestApp app(args, out, err);
        EXPECT_EQ(app.Run(), CPellworthTestApp::kCannotStart);
        EXPECT_NE(err.str().find("not part of this build"), std::string::npos) << err.str();
    }
}

}  // namespace
