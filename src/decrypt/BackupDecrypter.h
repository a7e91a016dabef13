#pragma once
/// Decrypts a whole encrypted backup into an output folder: reads
/// Manifest.plist, opens the keybag with the password (derived once), decrypts
/// the manifest (Manifest.db form) or reads it (Manifest.mbdb form), then
/// decrypts every stored file flat under its file ID. Files whose record or
/// stored bytes are unusable are skipped with a message; a failure of the
/// whole run removes everything the run wrote.
///
/// The stored files are decrypted on a few worker threads; progress counts and
/// messages still come out in manifest order, as a run on one thread would
/// print them.

#include <filesystem>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle::decrypt {

struct BackupFileEntry;
class ClassKeyRing;
class FileDecrypter;

class BackupDecrypter {
public:
    enum class Outcome {
        Ok,
        WrongPassword,
        Damaged, ///< Manifest.plist, its keybag or the manifest is damaged or missing
        Failed,  ///< anything else (the output folder cannot be written, the library fails)
        Interrupted
    };

    /// `progress` receives the "Count: N" lines, `messages` the skipped files,
    /// `warnings` the files kept whole although the manifest recorded another
    /// size. `threads` is the number of worker threads (1: all on the calling
    /// thread).
    BackupDecrypter(std::filesystem::path backupFolder, std::filesystem::path outputFolder,
                    std::ostream& progress, std::ostream& messages, std::ostream& warnings, unsigned threads);

    /// Runs the decryption. On any outcome but Ok, nothing written stays behind
    /// and `error` says why (empty for WrongPassword). An interrupt request
    /// (platform::interruptRequested) ends the run within a second, also while
    /// the password key is derived.
    Outcome run(std::string_view password, std::string& error);

    /// Files written (decrypted files and the decrypted manifest).
    std::size_t writtenCount() const { return m_written.size(); }
    /// Files skipped because their record or stored bytes were unusable.
    std::size_t skippedCount() const { return m_skipped; }

private:
    Outcome decryptAll(std::string_view password, std::string& error);
    bool listFiles(const ClassKeyRing& keys, const std::string& manifestKey,
                   std::vector<BackupFileEntry>& files, std::string& error);
    Outcome decryptFiles(const ClassKeyRing& keys, const std::vector<BackupFileEntry>& files);
    /// What became of one stored file: `problem` when it was skipped, else
    /// possibly a `warning` about its recorded size.
    struct FileOutcome {
        std::string problem;
        std::string warning;
    };
    FileOutcome decryptOne(FileDecrypter& decrypter, const ClassKeyRing& keys, const BackupFileEntry& entry);
    void noteWritten(const std::filesystem::path& path);
    void removeWritten();

    std::filesystem::path m_backupFolder;
    std::filesystem::path m_outputFolder;
    std::ostream& m_progress;
    std::ostream& m_messages;
    std::ostream& m_warnings;
    unsigned m_threads;
    std::mutex m_writtenMutex; // guards m_written while workers run
    std::set<std::filesystem::path> m_written;
    bool m_createdOutputFolder = false;
    std::size_t m_skipped = 0;
};

} // namespace orvelle::decrypt
