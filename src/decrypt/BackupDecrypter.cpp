#include "decrypt/BackupDecrypter.h"

#include "backup/encryption/DecryptProtocol.h"
#include "core/TerminalText.h"
#include "decrypt/BackupFileEntry.h"
#include "decrypt/ClassKeyRing.h"
#include "decrypt/FileDecryption.h"
#include "decrypt/KeyBag.h"
#include "decrypt/KeyDerivation.h"
#include "decrypt/ManifestDbForm.h"
#include "decrypt/ManifestPlist.h"
#include "decrypt/MbdbForm.h"
#include "decrypt/OrderedWork.h"
#include "decrypt/ProgressPrinter.h"
#include "platform/File.h"
#include "platform/Signals.h"

#include <unordered_map>

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
                                 std::ostream& messages, std::ostream& warnings, unsigned threads)
    : m_backupFolder(std::move(backupFolder)), m_outputFolder(std::move(outputFolder)), m_progress(progress),
      m_messages(messages), m_warnings(warnings), m_threads(threads) {}

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
    if (!readManifestPlist(m_backupFolder / kManifestPlistName, manifest, error)) return Outcome::Damaged;
    if (!manifest.isEncrypted) {
        error = "the backup is not encrypted";
        return Outcome::Failed;
    }
    KeyBag bag;
    if (!parseKeyBag(manifest.keyBag, bag, error)) {
        error = "the backup's keybag is damaged: " + error;
        return Outcome::Damaged;
    }
    PasscodeKey passcodeKey{};
    switch (derivePasscodeKey(password, bag, passcodeKey, error, platform::interruptRequested)) {
    case Derivation::Done:
        break;
    case Derivation::Stopped:
        return Outcome::Interrupted;
    case Derivation::KeyBagDamaged:
        error = "the backup's keybag is damaged: " + error;
        return Outcome::Damaged;
    case Derivation::Failed:
        return Outcome::Failed;
    }
    ClassKeyRing keys;
    switch (keys.unlock(bag, passcodeKey, error)) {
    case ClassKeyRing::Result::Ok:
        break;
    case ClassKeyRing::Result::WrongPassword:
        return Outcome::WrongPassword;
    case ClassKeyRing::Result::Corrupt:
        error = "the backup's keybag is damaged: " + error;
        return Outcome::Damaged;
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
    if (!listFiles(keys, manifest.manifestKey, files, error)) return Outcome::Damaged;
    return decryptFiles(keys, files);
}

BackupDecrypter::Outcome BackupDecrypter::decryptFiles(const ClassKeyRing& keys,
                                                       const std::vector<BackupFileEntry>& files) {
    // Entries that name the same file ID go to one worker, one after another,
    // so the last of them decides the output file, as in manifest order.
    std::vector<std::vector<std::size_t>> groups;
    std::unordered_map<std::string_view, std::size_t> groupOfId;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& id = files[i].fileId;
        if (files[i].problem.empty()) {
            const auto [it, added] = groupOfId.try_emplace(id, groups.size());
            if (!added) {
                groups[it->second].push_back(i);
                continue;
            }
        }
        groups.push_back({i});
    }

    std::vector<FileOutcome> outcomes(files.size());
    const OrderedWork pool(m_threads);
    // Each worker reuses its own buffer and cipher context, held here rather
    // than in thread-local storage.
    std::vector<FileDecrypter> decrypters(pool.threads());
    auto work = [&](std::size_t group, unsigned worker) {
        for (std::size_t i : groups[group])
            outcomes[i] = decryptOne(decrypters[worker], keys, files[i]);
    };
    ProgressPrinter printer(m_progress);
    std::uint64_t done = 0;
    auto finished = [&](std::size_t group) {
        for (std::size_t i : groups[group]) {
            // A file ID comes from the manifest: shown as terminal text, since
            // these lines reach a terminal when the program is run by hand.
            const std::string name = files[i].fileId.empty() ? "(no file ID)" : terminalText(files[i].fileId);
            if (!outcomes[i].warning.empty())
                m_warnings << "Warning: " << name << ": " << terminalText(outcomes[i].warning)
                           << '\n'
                           << std::flush;
            if (outcomes[i].problem.empty()) continue;
            ++m_skipped;
            m_messages << "Skipped " << name << ": " << terminalText(outcomes[i].problem) << '\n' << std::flush;
        }
        done += groups[group].size();
        printer.update(done);
    };
    printer.finish(done);
    const std::size_t finishedGroups =
        pool.runOnWorkers(groups.size(), work, finished, platform::interruptRequested);
    if (finishedGroups < groups.size()) return Outcome::Interrupted;
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

// Runs on a worker thread: touches nothing shared but the written set.
BackupDecrypter::FileOutcome BackupDecrypter::decryptOne(FileDecrypter& decrypter, const ClassKeyRing& keys,
                                                         const BackupFileEntry& entry) {
    FileOutcome outcome{entry.problem, {}};
    std::string& problem = outcome.problem;
    if (!problem.empty()) return outcome;
    try {
        const fs::path destination = m_outputFolder / entry.fileId;
        noteWritten(destination);
        if (entry.wrappedKey.empty()) {
            decrypter.copy(entry.storedPath, destination, problem);
        } else {
            std::string key;
            if (keys.unwrapFileKey(entry.protectionClass, entry.wrappedKey, key, problem))
                decrypter.decrypt(entry.storedPath, destination, key, entry.size, problem, outcome.warning);
        }
    } catch (const std::exception& e) { // out of memory
        problem = e.what();
    }
    return outcome;
}

void BackupDecrypter::noteWritten(const fs::path& path) {
    std::lock_guard lock(m_writtenMutex);
    m_written.insert(path);
}

void BackupDecrypter::removeWritten() {
    std::error_code ec;
    for (const fs::path& path : m_written)
        fs::remove(path, ec);
    m_written.clear();
    if (m_createdOutputFolder) fs::remove(m_outputFolder, ec); // only when left empty
}

} // namespace orvelle::decrypt
