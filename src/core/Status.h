#pragma once
/// Status codes returned by engine operations. The engine never throws across
/// its boundary: every operation answers one of these 32-bit values.

#include <cstdint>

namespace orvelle {

using Status = std::int32_t;

constexpr Status kStatusOk = 0;
/// The user stopped the operation (a progress callback answered non-zero).
constexpr Status kStatusStopped = 2;
/// A database or stored file that an operation needs does not exist. Kept apart
/// from kStatusStopped, which shares the system's "file not found" number.
constexpr Status kStatusFileMissing = 3;
/// Fewer bytes than asked for could be read.
constexpr Status kStatusShortRead = 30;
/// Missing or invalid input, or a file that is not what it should be.
constexpr Status kStatusInvalid = 87;
/// A query through the SQLite library failed.
constexpr Status kStatusSqliteQueryFailed = 1006;
/// A database lacks the table its records live in (it is not the database it
/// should be, or its schema is damaged).
constexpr Status kStatusTableMissing = 1168;
/// A database is damaged: pages of its records' table could not be read. The
/// rows read elsewhere in it are still returned.
constexpr Status kStatusDatabaseDamaged = 1392;
/// A Manifest.mbdb exists but cannot be opened.
constexpr Status kStatusManifestUnreadable = 6009;
/// A stored file that is no regular file (a FIFO, device, socket, folder or
/// link) and was left unread. The same number as the platform layer's refusal
/// (platform::FileRefusal::notRegularFile), so a system error passed on as a
/// status keeps its meaning.
constexpr Status kStatusNotRegularFile = 20001;
/// A folder of the export's destination is a link (or a file): nothing is
/// written into it (platform::FileRefusal::linkedFolder).
constexpr Status kStatusLinkedFolder = 20002;
/// Notes whose documents inflate past what may be held in memory: their text
/// reads "[Note too large: cut]"; the other notes are read in full.
constexpr Status kStatusNotesCut = 20010;
/// Wrong or missing password for an encrypted backup.
constexpr Status kStatusWrongPassword = -110;
/// An encrypted backup whose Manifest.plist, keybag or manifest is damaged or
/// missing: no password opens it, so it is not a wrong password.
constexpr Status kStatusEncryptionDamaged = 6001;
/// A generic failure (the device source answers this to every operation).
constexpr Status kStatusFailed = -1;

} // namespace orvelle
