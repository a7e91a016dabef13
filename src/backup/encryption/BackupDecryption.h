#pragma once
/// Runs the decryption program (orvelle-decrypt) over an encrypted backup and
/// follows its progress (see DecryptProtocol.h and DecryptProgress.h).

#include "backup/encryption/DecryptProgress.h"
#include "core/Status.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace orvelle {

struct DecryptRun {
    std::filesystem::path program;      // the orvelle-decrypt program
    std::filesystem::path backupFolder; // the encrypted backup (only read)
    std::filesystem::path outputFolder; // receives the flat decrypted copy
    std::uint64_t backupFileCount = 0;  // files of listEncryptedBackupFiles, the progress denominator
    std::int32_t step = 10;             // weight of the decryption in the scan's progress
    /// Optional: the program's lines other than counts ("Skipped ...", "Error: ...").
    std::function<void(std::string_view line)> messages;
};

/// Decrypts `run.backupFolder` into `run.outputFolder` with `password` (handed
/// to the program on its standard input). Reports through `report` as
/// DecryptProgress describes, updating `progress`; while the program prints
/// nothing (it derives the password key) the last value is reported again
/// every few dozen milliseconds, so a stop answer is heard at once. Returns
/// kStatusOk, kStatusWrongPassword, kStatusEncryptionDamaged (the keybag or
/// manifest is damaged), kStatusStopped when the program was interrupted
/// (Ctrl+C reaches it too), kStatusInvalid when it cannot be started or fails
/// otherwise, or the report's non-zero stop answer (the program is then told
/// to end, and removes what it wrote). The reason of a failure arrives as an
/// "Error: ..." line through `run.messages`.
Status decryptBackup(const DecryptRun& run, std::string_view password, std::int32_t& progress,
                     const ProgressReport& report);

/// A decryption into the run's private scratch folder (see RunFolder.h).
struct ScratchDecryption {
    std::filesystem::path outputFolder; // inside the run's folder: BackupStore::decryptedCopyFolder()
    std::filesystem::path backupFolder; // the encrypted backup (only read)
    std::filesystem::path program;      // empty: defaultDecryptProgram()
    std::int32_t step = 10;
    std::function<void(std::string_view line)> messages;
};

/// Empties `request.outputFolder` (made when missing), counts the backup's
/// files and decrypts the backup into that folder. `outputFolder` receives
/// the folder in every case. Returns as decryptBackup; on anything but kStatusOk the output
/// folder is emptied again, so no partial copy is left behind.
Status decryptToScratch(const ScratchDecryption& request, std::string_view password, std::int32_t& progress,
                        const ProgressReport& report, std::filesystem::path& outputFolder);

/// The decryption program shipped beside the running program.
std::filesystem::path defaultDecryptProgram();

} // namespace orvelle
