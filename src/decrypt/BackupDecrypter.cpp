#include "decrypt/BackupDecrypter.h"

#include "backup/encryption/DecryptProtocol.h"
#include "decrypt/BackupFileEntry.h"
#include "decrypt/ClassKeyRing.h"
#include "decrypt/FileDecryption.h"
#include "decrypt/KeyBag.h"
#include "decrypt/KeyDerivation.h"
#include "decrypt/ManifestDbForm.h"
#include "decrypt/ManifestPlist.h"
#include "decrypt/MbdbForm.h"
#include "decrypt/ProgressPrinter.h"
#include "platform/File.h"
#include "platform/Signals.h"

namespace orvelle::decrypt {

namespace fs = std::filesystem;

namespace {

constexpr const char* kManifestPlistName = "Manifest.plist";

// True when `inner` is `outer` or lies below it (after resolving links and "..").
bool isWithin(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    const fs::path b = fs::weakly_canonical(outer, ec);
    auto ai = a.begin();
    for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
        if (bi->empty()) continue; // trailing separator
        if (ai == a.end() || *ai != *bi) return false;
    }
    return true;
}

} // namespace

BackupDecrypter::BackupDecrypter(fs::path backupFolder, fs::path outputFolder, std::ostream& progress,
                                 std::ostream& messages)
    : m_backupFolder(std::move(backupFolder)), m_outputFolder(std::move(outputFolder)), m_progress(progress),
      m_messages(messages) {}

BackupDecrypter::Outcome BackupDecrypter::run(std::string_view password, std::string& error) {
    Outcome outcome = decryptAll(password, error);
    if (outcome == Outcome::Ok && platform::interruptRequested()) outcome = Outcome::Interrupted;
    if (outcome != Outcome::Ok) removeWritten();
    if (outcome == Outcome::Interrupted) error = "interrupted";
    return outcome;
}

BackupDecrypter::Outcome BackupDecrypter::decryptAll(std::string_view password, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(m_backupFolder, ec)) {
        error = "backup folder " + m_backupFolder.string() + " does not exist";
        return Outcome::Failed;
    }
    if (isWithin(m_outputFolder, m_backupFolder)) {
        error = "the output folder must not lie inside the backup folder";
        return Outcome::Failed;
    }
    ManifestPlist manifest;
    if (!readManifestPlist(m_backupFolder / kManifestPlistName, manifest, error)) return Outcome::Failed;
    if (!manifest.isEncrypted) {
        error = "the backup is not encrypted";
        return Outcome::Failed;
    }
    KeyBag bag;
    if (!parseKeyBag(manifest.keyBag, bag, error)) return Outcome::Failed;
    PasscodeKey passcodeKey{};
    if (!derivePasscodeKey(password, bag, passcodeKey, error)) return Outcome::Failed;
    ClassKeyRing keys;
    switch (keys.unlock(bag, passcodeKey, error)) {
    case ClassKeyRing::Result::Ok:
        break;
    case ClassKeyRing::Result::WrongPassword:
        return Outcome::WrongPassword;
    case ClassKeyRing::Result::Corrupt:
        return Outcome::Failed;
    }

    if (!fs::exists(m_outputFolder, ec)) {
        fs::create_directories(m_outputFolder, ec);
        m_createdOutputFolder = !ec;
    }
    if (!fs::is_directory(m_outputFolder, ec)) {
        error = "cannot create the output folder " + m_outputFolder.string();
        return Outcome::Failed;
    }
    std::vector<BackupFileEntry> files;
    if (!listFiles(keys, manifest.manifestKey, files, error)) return Outcome::Failed;

    ProgressPrinter printer(m_progress);
    std::uint64_t done = 0;
    printer.finish(done);
    for (const BackupFileEntry& entry : files) {
        if (platform::interruptRequested()) return Outcome::Interrupted;
        decryptOne(keys, entry);
        printer.update(++done);
    }
    printer.finish(done);
    return Outcome::Ok;
}

bool BackupDecrypter::listFiles(const ClassKeyRing& keys, const std::string& manifestKey,
                                std::vector<BackupFileEntry>& files, std::string& error) {
    if (platform::isRegularFile(m_backupFolder / kManifestDbName)) {
        const fs::path decrypted = m_outputFolder / kDecryptedManifestFile;
        m_written.insert(decrypted);
        if (!decryptManifestDb(m_backupFolder, manifestKey, keys, decrypted, error)) return false;
        return listManifestDbFiles(decrypted, m_backupFolder, files, error);
    }
    if (platform::isRegularFile(m_backupFolder / kManifestMbdbName)) {
        std::string bytes;
        std::error_code ec;
        if (!platform::readWholeFile(m_backupFolder / kManifestMbdbName, bytes, ec)) {
            error = "cannot read Manifest.mbdb: " + ec.message();
            return false;
        }
        return parseMbdbFiles(bytes, m_backupFolder, files, error);
    }
    error = "the backup has neither Manifest.db nor Manifest.mbdb";
    return false;
}

void BackupDecrypter::decryptOne(const ClassKeyRing& keys, const BackupFileEntry& entry) {
    std::string problem = entry.problem;
    const fs::path destination = m_outputFolder / entry.fileId;
    if (problem.empty()) {
        m_written.insert(destination);
        if (entry.wrappedKey.empty()) {
            copyStoredFile(entry.storedPath, destination, problem);
        } else {
            std::string key;
            if (keys.unwrapFileKey(entry.protectionClass, entry.wrappedKey, key, problem))
                decryptFile(entry.storedPath, destination, key, entry.size, problem);
        }
    }
    if (problem.empty()) return;
    ++m_skipped;
    m_messages << "Skipped " << (entry.fileId.empty() ? "(no file ID)" : entry.fileId) << ": " << problem
               << '\n'
               << std::flush;
}

void BackupDecrypter::removeWritten() {
    std::error_code ec;
    for (const fs::path& path : m_written)
        fs::remove(path, ec);
    m_written.clear();
    if (m_createdOutputFolder) fs::remove(m_outputFolder, ec); // only when left empty
}

} // namespace orvelle::decrypt
