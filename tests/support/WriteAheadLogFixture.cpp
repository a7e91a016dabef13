#include "support/WriteAheadLogFixture.h"

#include "sqlite_records/SqliteFormat.h"
#include "sqlite_records/WriteAheadLog.h"
#include "support/DeviceDbSms.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace orvelle::test {

namespace {

std::filesystem::path logOf(const std::filesystem::path& database) {
    std::filesystem::path log = database;
    log += "-wal";
    return log;
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

const std::uint8_t* at(const std::string& bytes, std::size_t offset) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset;
}

void putChecksum(std::string& bytes, std::size_t offset, const LogChecksum& sum) {
    bytes.replace(offset, 8, bigEndian32(sum.first()) + bigEndian32(sum.second()));
}

bool bigEndianChecksums(const std::string& log) {
    return readBigEndian32(at(log, 0)) == kLogMagicBigEndian;
}

std::size_t frameSize(const std::string& log) {
    return kLogFrameHeaderSize + readBigEndian32(at(log, 8));
}

/// Recomputes the checksums of frames `first` onwards from the one before.
void fixChecksumsFrom(std::string& log, std::size_t first) {
    const std::size_t size = frameSize(log);
    const std::size_t frames = (log.size() - kLogHeaderSize) / size;
    const std::size_t seedAt = first == 0 ? 24 : kLogHeaderSize + (first - 1) * size + 16;
    LogChecksum sum(bigEndianChecksums(log), readBigEndian32(at(log, seedAt)), readBigEndian32(at(log, seedAt + 4)));
    for (std::size_t i = first; i < frames; ++i) {
        const std::size_t frame = kLogHeaderSize + i * size;
        sum.add(at(log, frame), 8);
        sum.add(at(log, frame + kLogFrameHeaderSize), size - kLogFrameHeaderSize);
        putChecksum(log, frame + 16, sum);
    }
}

} // namespace

void startWriteAheadLog(SqliteFixture& db) {
    db.exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;");
}

void copyWithLog(const std::filesystem::path& source, const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
    fs::copy_file(logOf(source), logOf(target), fs::copy_options::overwrite_existing);
}

std::uint32_t logPageSize(const std::filesystem::path& log) {
    return readBigEndian32(at(readBytes(log), 8));
}

std::size_t logFrameCount(const std::filesystem::path& log) {
    const std::string bytes = readBytes(log);
    return (bytes.size() - kLogHeaderSize) / frameSize(bytes);
}

void uncommitLastLogFrame(const std::filesystem::path& log) {
    std::string bytes = readBytes(log);
    const std::size_t last = (bytes.size() - kLogHeaderSize) / frameSize(bytes) - 1;
    bytes.replace(kLogHeaderSize + last * frameSize(bytes) + 4, 4, bigEndian32(0));
    fixChecksumsFrom(bytes, last);
    writeBytes(log, bytes);
}

void damageLogFrame(const std::filesystem::path& log, std::size_t frame) {
    std::string bytes = readBytes(log);
    const std::size_t offset = kLogHeaderSize + frame * frameSize(bytes) + kLogFrameHeaderSize + 40;
    bytes[offset] = static_cast<char>(bytes[offset] ^ 0x5a);
    writeBytes(log, bytes);
}

void changeLogSalts(const std::filesystem::path& log) {
    std::string bytes = readBytes(log);
    bytes.replace(16, 8, bigEndian32(readBigEndian32(at(bytes, 16)) + 1) + bigEndian32(0x12345678));
    LogChecksum sum(bigEndianChecksums(bytes), 0, 0);
    sum.add(at(bytes, 0), 24);
    putChecksum(bytes, 24, sum);
    writeBytes(log, bytes);
}

SmsWithLog buildSmsWithLog(const std::filesystem::path& path) {
    SmsWithLog out;
    out.database = path;
    std::filesystem::path work = path;
    work += ".work";
    SmsDb db(work, SmsLayout::ios7);
    const std::int64_t handle = db.addHandle("+15550001");
    const auto add = [&db, handle](const std::string& text) {
        SmsMessage message;
        message.text = text;
        message.handleId = handle;
        return db.addMessage(message);
    };
    out.inFile = {"Kept in the file one", "Kept in the file two", "Kept in the file three"};
    for (const std::string& text : out.inFile)
        add(text);
    // Committed before the switch, so these rows stand in the file itself.
    db.exec("SELECT 1");
    startWriteAheadLog(db.fixture());
    out.inLog = {"Committed only to the log"};
    add(out.inLog.front());
    db.exec("SELECT 1");
    out.deletedInLog = "Deleted while in the log";
    const std::int64_t deleted = add(out.deletedInLog);
    db.exec("SELECT 1");
    // Zeroed in the newer version of its page: only the older frame keeps it.
    db.exec("PRAGMA secure_delete=ON");
    db.deleteWhere("message", "ROWID=" + std::to_string(deleted));
    db.exec("PRAGMA secure_delete=OFF");
    out.committedFrames = logFrameCount(logOf(work));
    out.uncommitted = "Never committed";
    add(out.uncommitted);
    db.exec("SELECT 1");
    copyWithLog(work, path);
    uncommitLastLogFrame(logOf(path));
    db.close();
    return out;
}

} // namespace orvelle::test
