// End to end: an encrypted backup that cannot be opened (a damaged keybag)
// and a Ctrl+C while its password key is derived, for every command that
// decrypts: the real reason or the interrupt is reported, and nothing is
// written.

#include "support/CliRun.h"
#include "support/EncryptedFixture.h"
#include "support/SignalledRun.h"
#include "support/TempFolder.h"

#include <csignal>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

constexpr int kExitUnreadableBackup = 3;
constexpr int kExitInterrupted = 130;

class EncryptedOpening : public ::testing::Test {
protected:
    EncryptedOpening() {
        test::writeEncryptedBackup(temp / "plain", backup, test::ManifestKind::Db,
                                   test::sampleFixtureFiles());
    }

    /// The commands that decrypt the backup, each writing (if anything) to `out`.
    std::vector<std::vector<std::string>> commands() const {
        const std::string b = test::arg(backup);
        return {{"scan", "--password-stdin", b},
                {"export", "--password-stdin", b, test::arg(out)},
                {"decrypt", "--password-stdin", b, test::arg(out)},
                {"files", "--password-stdin", b}};
    }

    /// Nothing of the backup is left: no destination, no decrypted copy.
    void expectNothingWritten() const {
        EXPECT_FALSE(fs::exists(out));
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(test::dataHome(temp), ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            EXPECT_FALSE(it->is_regular_file() && it->path().filename() == "Manifest.db-decypted")
                << it->path();
    }

    test::TempFolder temp{"orvelle-cli-encrypted-opening"};
    fs::path backup = temp / "encrypted backup";
    fs::path out = temp / "out";
};

// A keybag asking for more iterations than any real one is damaged: no
// password opens the backup. Before, the scan went on as "no manifest" and
// the export wrote an index of nothing.
TEST_F(EncryptedOpening, ADamagedKeybagIsReportedWithItsReasonAndNothingIsWritten) {
    test::plantKeyBagCount(backup, "ITER", 0xFFFFFFFF);
    for (const std::vector<std::string>& command : commands()) {
        SCOPED_TRACE(command.front());
        const test::CliRun run = test::orvelle(temp, command, {}, "orvelle");
        EXPECT_EQ(run.exitCode, kExitUnreadableBackup) << run.err;
        EXPECT_NE(
            run.err.find("the backup's keybag is damaged: its iteration count ITER is 4294967295, out of "
                         "range"),
            std::string::npos)
            << run.err;
        EXPECT_EQ(run.err.find("manifest ("), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("wrong password"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        expectNothingWritten();
    }
}

// The password key of this keybag would take minutes to derive. Ctrl+C in a
// terminal reaches the command and the decryption program it started; a
// terminate request reaches the command alone, which passes it on. Either
// way the command ends within about a second with the interrupt's exit code,
// not a wrong password, and leaves nothing behind.
TEST_F(EncryptedOpening, AnInterruptWhileThePasswordKeyIsDerivedEndsTheCommandAtOnce) {
#ifdef _WIN32
    GTEST_SKIP() << "sends POSIX signals; Windows has a console control event and a stop event instead";
#else
    test::plantKeyBagCount(backup, "DPIC", 50'000'000);
    const std::vector<std::pair<std::string, std::string>> env = {
        {"XDG_DATA_HOME", test::arg(test::dataHome(temp))}};
    struct Target {
        const char* name;
        int signal;
        test::SignalTarget target;
    };
    for (const std::vector<std::string>& command : commands()) {
        for (const Target& t : {Target{"Ctrl+C", SIGINT, test::SignalTarget::ProcessGroup},
                                Target{"terminate request", SIGTERM, test::SignalTarget::ProgramOnly}}) {
            SCOPED_TRACE(command.front() + " " + t.name);
            const test::SignalledRun run = test::runAndSignal(
                ORVELLE_CLI, command, "orvelle", env, std::chrono::milliseconds(1000), t.signal, t.target);
            EXPECT_EQ(run.endingSignal, 0) << "the command catches the signal";
            EXPECT_EQ(run.exitCode, kExitInterrupted) << run.output;
            EXPECT_LT(run.secondsToEnd, 1.5) << run.output;
            EXPECT_NE(run.output.find("interrupted"), std::string::npos) << run.output;
            EXPECT_EQ(run.output.find("wrong password"), std::string::npos) << run.output;
            expectNothingWritten();
        }
    }
#endif
}

} // namespace
} // namespace orvelle
