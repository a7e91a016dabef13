#include "backup/encryption/BackupDecryption.h"

#include "backup/encryption/DecryptProtocol.h"
#include "backup/encryption/DecryptedCopies.h"
#include "backup/encryption/EncryptedBackupListing.h"
#include "platform/Folder.h"
#include "platform/PathText.h"
#include "platform/Process.h"
#include "platform/ProgramFolder.h"

#include <string>

namespace orvelle {

namespace {

constexpr std::size_t kReadSize = 4096;
constexpr int kReadTimeoutMs = 50;

// Reads what the child still writes until it closes its output, so it never
// blocks on a full pipe while it ends.
void drainOutput(platform::ChildProcess& child) {
    for (;;) {
        std::string ignored;
        const auto status = child.readOutput(ignored, kReadSize, kReadTimeoutMs);
        if (status == platform::ChildProcess::ReadStatus::EndOfOutput ||
            status == platform::ChildProcess::ReadStatus::Failed)
            return;
    }
}

// The status of the program's exit code, for a run that ended on its own.
Status statusOfExit(int exitCode) {
    switch (exitCode) {
    case kDecryptExitOk:
        return kStatusOk;
    case kDecryptExitWrongPassword:
        return kStatusWrongPassword;
    case kDecryptExitDamaged:
        return kStatusEncryptionDamaged;
    case kDecryptExitInterrupted:
        return kStatusStopped;
    default:
        return kStatusInvalid;
    }
}

} // namespace

std::filesystem::path defaultDecryptProgram() {
    const std::filesystem::path folder = platform::executableFolder();
    return folder.empty() ? std::filesystem::path(kDecryptProgramName) : folder / kDecryptProgramName;
}

Status decryptBackup(const DecryptRun& run, std::string_view password, std::int32_t& progress,
                     const ProgressReport& report) {
    DecryptProgress tracker(progress, run.step, run.backupFileCount, report);
    if (run.messages) tracker.setMessageSink(run.messages);

    platform::ChildProcess child;
    std::error_code ec;
    // Backup and output folder are separate arguments (quoted on Windows);
    // the password goes through standard input only.
    if (!child.start(run.program, {platform::pathText(run.backupFolder), platform::pathText(run.outputFolder)}, ec)) {
        if (run.messages)
            run.messages("Error: cannot start " + platform::pathText(run.program) + ": " + ec.message());
        tracker.finish();
        return kStatusInvalid;
    }
    std::string input(password);
    input += '\n';
    child.writeInput(input);
    child.closeInput();

    Status result = kStatusOk;
    bool outputEnded = false;
    while (result == kStatusOk) {
        std::string chunk;
        const auto status = child.readOutput(chunk, kReadSize, kReadTimeoutMs);
        if (status == platform::ChildProcess::ReadStatus::Timeout) {
            // Quiet while it derives the password key (seconds): a stop
            // request must still be heard.
            result = tracker.onQuiet();
            continue;
        }
        if (status == platform::ChildProcess::ReadStatus::Data) {
            result = tracker.onOutput(chunk);
            continue;
        }
        outputEnded = true;
        result = tracker.onEndOfOutput();
        break;
    }
    // A stop answer: ask the program to end; it removes what it wrote.
    if (result != kStatusOk && result != kStatusWrongPassword) child.terminate();
    if (!outputEnded) drainOutput(child);
    const int exitCode = child.wait();
    if (result == kStatusOk) result = statusOfExit(exitCode);
    tracker.finish();
    return result;
}

Status decryptToScratch(const ScratchDecryption& request, std::string_view password, std::int32_t& progress,
                        const ProgressReport& report, std::filesystem::path& outputFolder) {
    outputFolder = request.outputFolder;
    std::vector<std::filesystem::path> none;
    if (outputFolder.empty() || !platform::createFolders(outputFolder)) {
        if (request.messages) request.messages("Error: no private scratch folder for the decrypted copy");
        return kStatusInvalid;
    }
    cleanUpDecryptedCopies(outputFolder, none); // one copy at a time: a new one replaces the old
    std::vector<std::filesystem::path> backupFiles;
    listEncryptedBackupFiles(request.backupFolder, backupFiles);

    DecryptRun run;
    run.program = request.program.empty() ? defaultDecryptProgram() : request.program;
    run.backupFolder = request.backupFolder;
    run.outputFolder = outputFolder;
    run.backupFileCount = backupFiles.size();
    run.step = request.step;
    run.messages = request.messages;
    const Status status = decryptBackup(run, password, progress, report);
    if (status != kStatusOk) cleanUpDecryptedCopies(outputFolder, none);
    return status;
}

} // namespace orvelle
