#include "platform/Process.h"

#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orvelle::platform {
namespace {

/// The tests' own child program (tests/support/tools/orvelle-test-child.cpp):
/// the same steps on every system, no shell needed.
std::filesystem::path testChild() {
#ifdef _WIN32
    return std::filesystem::path(ORVELLE_BIN_DIR) / "orvelle-test-child.exe";
#else
    return std::filesystem::path(ORVELLE_BIN_DIR) / "orvelle-test-child";
#endif
}

/// Everything the child writes until it closes its output.
std::string readAll(ChildProcess& child) {
    std::string output;
    while (child.readOutput(output, 3, 1000) != ChildProcess::ReadStatus::EndOfOutput) {
    }
    return output;
}

TEST(Process, InputGoesInAndJoinedOutputComesBack) {
    ChildProcess child;
    std::error_code ec;
    // Arguments travel as a list: blanks and quotes reach the program untouched.
    ASSERT_TRUE(
        child.start(testChild(), {"copy-input", "echo-error", "a folder with \"blanks\"", "exit", "7"}, ec))
        << ec.message();
    EXPECT_TRUE(child.writeInput("secret\n"));
    child.closeInput();
    EXPECT_EQ(readAll(child), "secret\na folder with \"blanks\"\n");
    EXPECT_EQ(child.wait(), 7);
    EXPECT_FALSE(child.running());
}

TEST(Process, ArgumentsArriveUnchanged) {
    const std::vector<std::string> texts = {"plain",
                                            "",
                                            "C:\\Users\\Ann Lee\\Backup",
                                            "C:\\with space\\",
                                            "say \"hi\"",
                                            "a\\\"b",
                                            "C:\\no\\space\\",
                                            "tab\there",
                                            "gr\xC3\xBC\xC3\x9F"
                                            "e \xE2\x9C\x93"};
    std::vector<std::string> arguments;
    std::string expected;
    for (const std::string& text : texts) {
        arguments.insert(arguments.end(), {"echo", text});
        expected += text + "\n";
    }
    ChildProcess child;
    std::error_code ec;
    ASSERT_TRUE(child.start(testChild(), arguments, ec)) << ec.message();
    child.closeInput();
    EXPECT_EQ(readAll(child), expected);
    EXPECT_EQ(child.wait(), 0);
}

TEST(Process, StandardErrorCanGoToAFile) {
    test::TempFolder temp;
    ChildProcess child;
    child.setErrorFile(temp / "errors.txt");
    std::error_code ec;
    ASSERT_TRUE(child.start(testChild(), {"echo", "out", "echo-error", "wrong", "echo", "more"}, ec))
        << ec.message();
    child.closeInput();
    EXPECT_EQ(readAll(child), "out\nmore\n");
    EXPECT_EQ(child.wait(), 0);
    EXPECT_EQ(test::readFile(temp / "errors.txt"), "wrong\n");

    ChildProcess unwritable;
    unwritable.setErrorFile(temp / "no-such-folder" / "errors.txt");
    EXPECT_FALSE(unwritable.start(testChild(), {}, ec));
    EXPECT_TRUE(ec);
}

TEST(Process, AMissingProgramDoesNotStart) {
    std::vector<std::filesystem::path> missing = {std::filesystem::path(ORVELLE_BIN_DIR) / "no-such-program"};
#ifndef _WIN32
    missing.push_back("/no/such/program");
#endif
    for (const auto& program : missing) {
        ChildProcess child;
        std::error_code ec;
        EXPECT_FALSE(child.start(program, {}, ec));
        EXPECT_EQ(ec, std::errc::no_such_file_or_directory) << program << ": " << ec.message();
        EXPECT_EQ(child.wait(), -1);
    }
}

TEST(Process, WritingToAChildThatEndedFailsQuietly) {
    ChildProcess child;
    std::error_code ec;
    ASSERT_TRUE(child.start(testChild(), {"close-input", "exit", "0"}, ec)) << ec.message();
    EXPECT_EQ(child.wait(), 0);
    EXPECT_FALSE(child.writeInput(std::string(1 << 20, 'x'))); // no SIGPIPE ends the test
}

TEST(Process, TerminateAsksTheChildToEnd) {
    ChildProcess child;
    std::error_code ec;
    // On POSIX systems SIGTERM ends a child that does not catch it; Windows has
    // no such signal: the child watches the stop event and ends by itself.
#ifdef _WIN32
    ASSERT_TRUE(child.start(testChild(), {"watch-stop", "echo", "ready", "sleep", "30000"}, ec))
        << ec.message();
#else
    ASSERT_TRUE(child.start(testChild(), {"echo", "ready", "sleep", "30000"}, ec)) << ec.message();
#endif
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
