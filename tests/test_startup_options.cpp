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

TEST(StartupOptions, SimulatePortsInEitherSpellingAndHelp) {
    ProgramOptions o;
    std::string err;
    ASSERT_TRUE(Parse({"--simulate", "--port", "2=/dev/ttyUSB0", "--port=3=/tmp/a=b"}, &o, &err));
    EXPECT_TRUE(o.simulate);
    EXPECT_FALSE(o.help);
    EXPECT_EQ(o.ports, (decltype(o.ports){{2, "/dev/ttyUSB0"}, {3, "/tmp/a=b"}}));
    ASSERT_TRUE(Parse({}, &o, &err));
    EXPECT_FALSE(o.simulate);
    EXPECT_TRUE(o.ports.empty());
    ASSERT_TRUE(Parse({"--help"}, &o, &err));
    EXPECT_TRUE(o.help);
}

TEST(StartupOptions, BadInputIsRefusedWithAReason) {
    ProgramOptions o;
    for (std::vector<const char*> bad :
         {std::vector<const char*>{"--port"}, {"--port", "x=/dev/a"}, {"--port", "0=/dev/a"},
          {"--port", "2="}, {"--port", "=/dev/a"}, {"--port", "2/dev/a"}, {"--port", "1x=/d"},
          {"--simulat"}, {"-platform", "offscreen"}}) {
        std::string err;
        EXPECT_FALSE(Parse(bad, &o, &err)) << bad[0] << " " << (bad.size() > 1 ? bad[1] : "");
        EXPECT_FALSE(err.empty());
    }
}

}  // namespace
