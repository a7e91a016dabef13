// End to end: what every command says about a backup it cannot read, in whole
// or in part. Each fault has its exit code and words naming the problem, the
// same in every command, and the backup is left exactly as it was.

#include "backup/KnownFileIds.h"
#include "support/BackupBuilder.h"
#include "support/CliRun.h"
#include "support/DemoBackup.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace orvelle {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::orvelle;

constexpr int kUnreadableBackup = 3;
constexpr int kUnreadableCategory = 4;

/// Every file below `folder` with its bytes.
std::map<std::string, std::string> contentsOf(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    if (!fs::is_directory(folder)) {
        if (fs::exists(folder)) contents[""] = test::readFile(folder);
        return contents;
    }
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        contents[entry.path().lexically_relative(folder).generic_string()] =
            entry.is_regular_file() ? test::readFile(entry.path()) : std::string("<folder>");
    return contents;
}

/// Overwrites the start of `file` with bytes no SQLite file begins with.
void garbleHeader(const fs::path& file) {
    std::string bytes = test::readFile(file);
    ASSERT_GT(bytes.size(), 100u) << file;
    for (std::size_t i = 0; i < 100; ++i)
        bytes[i] = static_cast<char>(0xA5 ^ i);
    test::writeFile(file, bytes);
}

class UnreadableBackup : public ::testing::Test {
protected:
    /// A copy of the recent demo backup under `name`.
    fs::path demoCopy(const std::string& name) {
        const fs::path folder = temp / name;
        test::demoRecentBackup().build(folder);
        return folder;
    }
    test::TempFolder temp;
};

struct CommandCase {
    std::string label;                        ///< the backup's fault
    std::vector<std::string> args;            ///< BACKUP stands for the backup's path
    int exitCode;
    std::string message;                      ///< words standard error must hold ("" for none)
};

TEST_F(UnreadableBackup, EveryCommandNamesTheProblemWithItsExitCode) {
    const fs::path badSms = demoCopy("bad-sms");
    const std::string smsId(kMessagesFileId);
    garbleHeader(badSms / smsId.substr(0, 2) / smsId);
    const fs::path badManifest = demoCopy("bad-manifest");
    garbleHeader(badManifest / "Manifest.db");
    const fs::path empty = temp / "empty";
    fs::create_directories(empty);
    const fs::path plain = temp / "plain.txt";
    test::writeFile(plain, "not a backup");
    const fs::path missing = temp / "missing";

    const std::map<std::string, fs::path> backups = {
        {"bad-sms", badSms}, {"bad-manifest", badManifest}, {"empty", empty}, {"plain", plain}, {"missing", missing}};
    std::map<std::string, std::map<std::string, std::string>> before;
    for (const auto& [name, path] : backups)
        before[name] = contentsOf(path);

    const std::string notBackup = "is not a backup";
    const std::string isFile = "is a file, not a backup folder";
    const std::string noPath = "does not exist";
    const std::string smsProblem = "Messages could not be read: sms.db: it is not a SQLite database";
    const std::string manifestProblem = "the manifest cannot be read";
    const std::vector<CommandCase> cases = {
        // A damaged sms.db: only the commands that read messages fail, after doing the rest.
        {"bad-sms", {"info", "BACKUP"}, 0, ""},
        {"bad-sms", {"files", "BACKUP"}, 0, ""},
        {"bad-sms", {"scan", "BACKUP"}, kUnreadableCategory, smsProblem},
        {"bad-sms", {"scan", "BACKUP", "--categories", "contacts"}, 0, ""},
        {"bad-sms", {"export", "BACKUP", "OUT"}, kUnreadableCategory, smsProblem},
        {"bad-sms", {"print", "BACKUP", "--category", "messages", "--out", "PAGE"}, kUnreadableCategory, smsProblem},
        // A damaged manifest: the files found through it cannot be listed.
        {"bad-manifest", {"files", "BACKUP"}, kUnreadableCategory, manifestProblem},
        {"bad-manifest", {"scan", "BACKUP"}, kUnreadableCategory, "Camera Roll could not be read: " + manifestProblem},
        {"bad-manifest", {"export", "BACKUP", "OUT"}, kUnreadableCategory, manifestProblem},
        {"bad-manifest", {"print", "BACKUP", "--category", "whatsapp", "--out", "PAGE"}, kUnreadableCategory,
         "WhatsApp could not be read: " + manifestProblem},
    };
    std::vector<CommandCase> all = cases;
    // No backup at all: every command refuses before reading or writing anything.
    for (const auto& [label, words] : std::vector<std::pair<std::string, std::string>>{
             {"empty", notBackup}, {"plain", isFile}, {"missing", noPath}})
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"info", "BACKUP"},
                 {"files", "BACKUP"},
                 {"scan", "BACKUP"},
                 {"export", "BACKUP", "OUT"},
                 {"print", "BACKUP", "--category", "notes", "--out", "PAGE"}})
            all.push_back({label, args, kUnreadableBackup, words});

    int run = 0;
    for (const CommandCase& c : all) {
        const fs::path out = temp / ("out-" + std::to_string(run));
        const fs::path page = temp / ("page-" + std::to_string(run) + ".html");
        ++run;
        std::vector<std::string> args;
        std::string shown;
        for (const std::string& a : c.args) {
            args.push_back(a == "BACKUP" ? test::arg(backups.at(c.label))
                           : a == "OUT"  ? test::arg(out)
                           : a == "PAGE" ? test::arg(page)
                                         : a);
            shown += a + " ";
        }
        const CliRun result = orvelle(temp, args);
        SCOPED_TRACE(c.label + ": " + shown + "\n" + result.err);
        EXPECT_EQ(result.exitCode, c.exitCode);
        if (!c.message.empty()) EXPECT_NE(result.err.find(c.message), std::string::npos);
        if (c.exitCode == 0) EXPECT_EQ(result.err.find("could not be read"), std::string::npos);
        if (c.exitCode == kUnreadableBackup) {
            EXPECT_FALSE(fs::exists(out)) << "nothing is created for a backup that cannot be read";
            EXPECT_FALSE(fs::exists(page));
        }
    }
    for (const auto& [name, path] : backups)
        EXPECT_EQ(contentsOf(path), before[name]) << name << " was changed";
}

TEST_F(UnreadableBackup, ScanJsonGivesEachCategorysStatus) {
    const fs::path badSms = demoCopy("bad-sms");
    const std::string smsId(kMessagesFileId);
    garbleHeader(badSms / smsId.substr(0, 2) / smsId);
    const CliRun result = orvelle(temp, {"scan", "--json", "--categories", "messages,contacts", test::arg(badSms)});
    EXPECT_EQ(result.exitCode, kUnreadableCategory) << result.err;
    EXPECT_NE(result.out.find("\"messages\":{\"status\":\"unreadable\",\"reason\":\"sms.db: it is not a SQLite "
                              "database, or its header is damaged\""),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("\"contacts\":{\"status\":\"found\""), std::string::npos) << result.out;

    // A backup without WhatsApp is no fault: the category is missing, and the scan succeeds.
    const fs::path noWhatsApp = temp / "no-whatsapp";
    test::BackupBuilder builder = test::demoRecentBackup();
    std::erase_if(builder.entries(), [](const test::BackupBuilder::Entry& entry) {
        return entry.relativePath.find("ChatStorage.sqlite") != std::string::npos;
    });
    builder.build(noWhatsApp);
    const CliRun whatsApp = orvelle(temp, {"scan", "--json", "--categories", "whatsapp", test::arg(noWhatsApp)});
    EXPECT_EQ(whatsApp.exitCode, 0) << whatsApp.err;
    EXPECT_NE(whatsApp.out.find("\"whatsapp\":{\"status\":\"missing\""), std::string::npos) << whatsApp.out;
}

} // namespace
} // namespace orvelle
