// Command-line options of kvor-scope.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options.h"

namespace {

bool Parse(std::vector<const char*> args, ProgramOptions* o, std::string* err) {
    args.insert(args.begin(), "kvor-scope");
    return ParseOptions(static_cast<int>(args.size()), args.data(), o, err);
}

TEST(StartupOptions, SimulateAndPortsInEitherSpelling) {
    ProgramOptions o;
    std::string err;
    ASSERT_TRUE(Parse({"--simulate", "--port", "2=/dev/ttyUSB0", "--port=3=/tmp/a=b"}, &o, &err));
    EXPECT_TRUE(o.simulate);
    EXPECT_FALSE(o.help);
    ASSERT_EQ(o.ports.size(), 2u);
    EXPECT_EQ(o.ports[0].first, 2);
    EXPECT_EQ(o.ports[0].second, "/dev/ttyUSB0");
    EXPECT_EQ(o.ports[1].first, 3);
    EXPECT_EQ(o.ports[1].second, "/tmp/a=b");
    ASSERT_TRUE(Parse({}, &o, &err));
    EXPECT_FALSE(o.simulate);
    EXPECT_TRUE(o.ports.empty());
}

TEST(StartupOptions, BadInputIsRefusedWithAReason) {
    ProgramOptions o;
    for (std::vector<const char*> bad :
         {std::vector<const char*>{"--port"}, {"--port", "x=/dev/a"}, {"--port", "0=/dev/a"},
          {"--port", "2="}, {"--port", "=/dev/a"}, {"--port", "2/dev/a"}, {"--port", "1x=/d"},
          {"--simulat"}, {"-platform", "offscreen"}}) {
        std::string err;
        EXPECT_FALSE(Parse(bad, &o, &err)) << bad[0];
        EXPECT_FALSE(err.empty());
    }
}

TEST(StartupOptions, HelpNamesBothOptions) {
    ProgramOptions o;
    std::string err;
    ASSERT_TRUE(Parse({"--help"}, &o, &err));
    EXPECT_TRUE(o.help);
    const std::string usage = UsageText();
    EXPECT_NE(usage.find("--simulate"), std::string::npos);
    EXPECT_NE(usage.find("--port N=PATH"), std::string::npos);
}

}  // namespace
