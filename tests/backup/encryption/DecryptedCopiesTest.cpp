#include "backup/encryption/DecryptedCopies.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

TEST(DecryptedCopies, CleanUpDeletesTheCopyAndNothingElse) {
    test::TempFolder temp;
    const fs::path output = temp / "QuorilOrvelleBackupPath";
    const fs::path backup = temp / "backup";
    test::writeFile(output / "3d0d7e5fb2ce288813306e4d4636395e047a3d28", "decrypted");
    test::writeFile(output / "Manifest.db-decypted", "decrypted manifest");
    test::writeFile(output / ".partial", "hidden leftover");
    test::writeFile(output / "sub" / "deeper", "decrypted too");
    test::writeFile(temp / "elsewhere" / "listed", "a listed decrypted file");
    test::writeFile(backup / "Manifest.db", "the encrypted backup");
    std::vector<fs::path> decrypted = {temp / "elsewhere" / "listed", temp / "elsewhere" / "already-gone"};

    cleanUpDecryptedCopies(output, decrypted);

    EXPECT_TRUE(decrypted.empty());
    EXPECT_TRUE(fs::is_directory(output));
    EXPECT_TRUE(fs::is_empty(output));
    EXPECT_FALSE(fs::exists(temp / "elsewhere" / "listed"));
    EXPECT_TRUE(fs::exists(backup / "Manifest.db"));
}

TEST(DecryptedCopies, ALinkIsRemovedAsItselfNeverFollowed) {
    test::TempFolder temp;
    const fs::path outside = temp / "outside";
    test::writeFile(outside / "letter.txt", "the owner's letter");
    std::error_code ec;
    // A link inside the copy, and the copy's folder itself a link.
    test::writeFile(temp / "copy" / "3d0d7e5fb2ce288813306e4d4636395e047a3d28", "decrypted");
    fs::create_directory_symlink(outside, temp / "copy" / "linked", ec);
    if (ec) GTEST_SKIP() << "links cannot be made here";
    fs::create_directory_symlink(outside, temp / "linked-copy", ec);
    std::vector<fs::path> none;

    cleanUpDecryptedCopies(temp / "copy", none);
    cleanUpDecryptedCopies(temp / "linked-copy", none);

    EXPECT_TRUE(fs::is_empty(temp / "copy"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp / "linked-copy")));
    EXPECT_EQ(test::readFile(outside / "letter.txt"), "the owner's letter");
}

TEST(DecryptedCopies, AMissingOutputFolderIsFine) {
    test::TempFolder temp;
    std::vector<fs::path> none;
    cleanUpDecryptedCopies(temp / "never-made", none);
    cleanUpDecryptedCopies({}, none);
    EXPECT_TRUE(fs::is_directory(temp.path()));
}

} // namespace
} // namespace orvelle
