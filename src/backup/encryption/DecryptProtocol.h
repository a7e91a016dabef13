#pragma once
/// What the backup store and the decryption program (orvelle-decrypt) say to
/// each other.
///
///   orvelle-decrypt BACKUP_FOLDER OUTPUT_FOLDER
///
/// - The password arrives on the program's standard input (one line), never on
///   its command line, where other users of the machine could read it.
/// - Every decrypted file is written flat into OUTPUT_FOLDER under its file ID;
///   a Manifest.db backup's decrypted manifest is written there as
///   "Manifest.db-decypted". The backup folder is only read.
/// - Standard output carries text lines: "Count: N" (N files done so far) as
///   the work goes on, and "Wrong password" when the password does not open
///   the keybag. A run that fails prints "Error: REASON" as its last line,
///   REASON in words for people ("the backup's keybag is damaged: ..."), which
///   the backup store passes on. Other lines ("Skipped ...") are for people.
/// - The exit code tells the kind of failure (kDecryptExit* below): a wrong
///   password, a damaged backup, an interrupt (Ctrl+C, a terminate request),
///   or any other failure. An interrupt is heard within a second, also while
///   the password key is derived.
/// - A run that fails removes everything it wrote.

namespace orvelle {

/// File name of the decryption program beside the orvelle programs.
#ifdef _WIN32
constexpr const char* kDecryptProgramName = "orvelle-decrypt.exe";
#else
constexpr const char* kDecryptProgramName = "orvelle-decrypt";
#endif
/// Printed when the password is wrong.
constexpr const char* kWrongPasswordText = "Wrong password";
/// Opens the line that says why a run failed; the reason follows after a space.
constexpr const char* kErrorText = "Error:";
/// Opens a progress line; a decimal count of finished files follows.
constexpr const char* kCountText = "Count:";
/// Name of the decrypted manifest in the output folder, where the manifest
/// loader looks for it.
constexpr const char* kDecryptedManifestFile = "Manifest.db-decypted";

/// Exit codes of the decryption program.
constexpr int kDecryptExitOk = 0;
constexpr int kDecryptExitFailed = 1;
constexpr int kDecryptExitUsage = 2;
constexpr int kDecryptExitWrongPassword = 3;
/// Manifest.plist, its keybag (a count out of range, a record cut short) or the
/// manifest is damaged or missing: no password opens this backup.
constexpr int kDecryptExitDamaged = 4;
constexpr int kDecryptExitInterrupted = 130;

} // namespace orvelle
