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

TEST(PellworthTestApp, WithoutWindowPointsToHelp)
{
    std::ostringstream out;
    CPellworthTestApp app({"-a"}, out);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_NE(out.str().find("--help"), std::string::npos);
}

}  // namespace
