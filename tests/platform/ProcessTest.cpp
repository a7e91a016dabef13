#include "platform/Process.h"

#include <gtest/gtest.h>

namespace orvelle::platform {
namespace {

TEST(Process, InputGoesInAndJoinedOutputComesBack) {
    ChildProcess child;
    std::error_code ec;
    // Arguments travel as a list: blanks and quotes reach the program untouched.
    ASSERT_TRUE(
        child.start("/bin/sh", {"-c", "cat; echo \"$1\" >&2; exit 7", "sh", "a folder with \"blanks\""}, ec))
        << ec.message();
    EXPECT_TRUE(child.writeInput("secret\n"));
    child.closeInput();
    std::string output;
    while (child.readOutput(output, 3, 1000) != ChildProcess::ReadStatus::EndOfOutput) {
    }
    EXPECT_EQ(output, "secret\na folder with \"blanks\"\n");
    EXPECT_EQ(child.wait(), 7);
    EXPECT_FALSE(child.running());
}

TEST(Process, AMissingProgramDoesNotStart) {
    ChildProcess child;
    std::error_code ec;
    EXPECT_FALSE(child.start("/no/such/program", {}, ec));
    EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
    EXPECT_EQ(child.wait(), -1);
}

TEST(Process, WritingToAChildThatEndedFailsQuietly) {
    ChildProcess child;
    std::error_code ec;
    ASSERT_TRUE(child.start("/bin/sh", {"-c", "exec 0<&-; exit 0"}, ec));
    EXPECT_EQ(child.wait(), 0);
    EXPECT_FALSE(child.writeInput(std::string(1 << 20, 'x'))); // no SIGPIPE ends the test
}

TEST(Process, TerminateAsksTheChildToEnd) {
    ChildProcess child;
    std::error_code ec;
    ASSERT_TRUE(child.start("/bin/sh", {"-c", "echo ready; sleep 30"}, ec));
    std::string output;
    while (output.find("ready") == std::string::npos)
        ASSERT_NE(child.readOutput(output, 64, 5000), ChildProcess::ReadStatus::EndOfOutput);
    EXPECT_EQ(child.readOutput(output, 64, 10), ChildProcess::ReadStatus::Timeout);
    EXPECT_TRUE(child.running());
    child.terminate();
    EXPECT_EQ(child.wait(), 128 + 15);
}

TEST(Process, WindowsArgumentQuoting) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", "\"\""},
        {"C:\\Users\\Ann Lee\\Backup", "\"C:\\Users\\Ann Lee\\Backup\""},
        {"C:\\with space\\", "\"C:\\with space\\\\\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},
        {"C:\\no\\space\\", "C:\\no\\space\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(quoteWindowsArgument(c.in), c.out) << c.in;
}

} // namespace
} // namespace orvelle::platform
