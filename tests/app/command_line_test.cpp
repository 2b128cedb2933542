// The command line shared by the window and the headless program.
#include <gtest/gtest.h>

#include "command_line.h"

namespace vorstel {
namespace {

// The long forms are what the headless program's own tests start it with.
TEST(CommandLine, ShortAndJoinedFormsAndWhatCannotBeUsedWithItsReason) {
    EXPECT_EQ(ParseCommandLine({"--headless", "-q"}).verbosity, Verbosity::Quiet);
    EXPECT_EQ(ParseCommandLine({"--headless", "--workdir=/x y"}).workdir, "/x y");
    EXPECT_EQ(ParseCommandLine({"--workdir"}).error, "--workdir needs a directory");
    EXPECT_EQ(ParseCommandLine({"--headless", "status"}).error, "unexpected argument 'status'");
    EXPECT_EQ(ParseCommandLine({"--force-claim"}).error, "--force-claim works only with --headless");
    EXPECT_EQ(ParseCommandLine({"--headless", "-q", "--verbose"}).error, "--quiet and --verbose exclude each other");
    // Help wins over what else is wrong but unknown options.
    EXPECT_TRUE(ParseCommandLine({"--quiet", "--help"}).help);
    EXPECT_EQ(ParseCommandLine({"--help", "--nonsense"}).error, "unknown option '--nonsense'");
}

TEST(CommandLine, OnlyHeadlessHelpAndVersionGoWithoutADisplay) {
    auto needs = [](std::vector<const char*> args) {
        args.insert(args.begin(), "vorstel");
        return NeedsNoDisplay(static_cast<int>(args.size()), const_cast<char**>(args.data()));
    };
    EXPECT_TRUE(needs({"--workdir", "d", "-v"}));
    EXPECT_FALSE(needs({"--workdir", "--headless"}));  // a directory of that name
    EXPECT_FALSE(needs({"-platform", "offscreen"}));
}

}  // namespace
}  // namespace vorstel
