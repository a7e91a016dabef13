#pragma once
/// A marker file that says "a run of this program is using this folder",
/// held locked for as long as the run lives. The system drops the lock when
/// the process ends in any way, so a later run can tell a folder of a live
/// run from one left by a run that died: the marker is there but nobody
/// holds its lock.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace orvelle::platform {

class RunLock {
public:
    RunLock() = default;
    /// Releases the lock (the marker file stays).
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    /// Creates the marker `folder` / `markerName` (open to the user alone) in
    /// the run's own, new folder and locks it. The marker appears under its name only once locked, so
    /// no other run ever sees it unlocked while this one lives. False with
    /// `ec` set on failure (nothing is left behind then).
    bool create(const std::filesystem::path& folder, std::string_view markerName, std::error_code& ec);

    /// Takes the lock of an existing marker `marker`. True only when it is a
    /// regular file (not a link) of the current user and nobody holds its
    /// lock, i.e. the run that made it has ended; the lock is then held here
    /// until release().
    bool takeOver(const std::filesystem::path& marker);

    /// Releases the lock; the marker file stays.
    void release();
    bool isHeld() const { return m_handle != -1; }

private:
    /// The marker's open handle: a file descriptor on POSIX systems, a HANDLE
    /// on Windows; -1 when no lock is held.
    std::intptr_t m_handle = -1;
};

} // namespace orvelle::platform
