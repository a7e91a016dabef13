#pragma once
/// Folders for the owner's data alone: checking that a folder is the user's
/// and nobody else's, making a private folder with a random name, and
/// removing a folder tree without ever following a link.
///
/// A link here is a symbolic link on POSIX systems and any reparse point
/// (symbolic link, junction, mount point) on Windows.

#include <filesystem>
#include <string_view>
#include <system_error>

namespace orvelle::platform {

/// What a path is, seen without following a link, as a place for private files.
enum class FolderTrust {
    Trusted,          ///< a real folder, owned by the current user, writable by nobody else
    Missing,          ///< nothing of that name
    Link,             ///< a link, whatever it points to
    NotFolder,        ///< a file or something else that is not a folder
    OwnedByOther,     ///< a folder of another user
    WritableByOthers, ///< the user's folder, but others may add, remove or rename in it
};

/// How `folder` qualifies; never follows a link at `folder` itself.
FolderTrust checkFolderTrust(const std::filesystem::path& folder);

/// Makes `folder` open to the current user alone (0700; on Windows an access
/// list for the user alone, not inherited from above) when nothing of that
/// name exists; its parent must exist. Returns how `folder` qualifies
/// afterwards, so an existing folder is checked, never changed.
FolderTrust makeTrustedFolder(const std::filesystem::path& folder);

/// Makes a new folder inside `parent` named `prefix` followed by random
/// characters, open to the current user alone (0700 whatever the umask; on
/// Windows an access list for the user alone that what is made inside
/// inherits). Returns its path; empty with `ec` set on failure.
std::filesystem::path makePrivateFolder(const std::filesystem::path& parent, std::string_view prefix,
                                        std::error_code& ec);

/// Removes `path` and, when it is a real folder, everything below it. A link
/// met anywhere, `path` included, is removed as itself and never entered, so
/// nothing outside the tree is touched. True when nothing of `path` is left.
bool removeTree(const std::filesystem::path& path);

} // namespace orvelle::platform
