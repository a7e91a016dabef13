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
    test::writeFile(output / "sub" / "kept", "sub-folders stay");
    test::writeFile(temp / "elsewhere" / "listed", "a listed decrypted file");
    test::writeFile(backup / "Manifest.db", "the encrypted backup");
    std::vector<fs::path> decrypted = {temp / "elsewhere" / "listed", temp / "elsewhere" / "already-gone"};

    cleanUpDecryptedCopies(output, decrypted);

    EXPECT_TRUE(decrypted.empty());
    EXPECT_FALSE(fs::exists(output / "3d0d7e5fb2ce288813306e4d4636395e047a3d28"));
    EXPECT_FALSE(fs::exists(output / "Manifest.db-decypted"));
    EXPECT_FALSE(fs::exists(output / ".partial"));
    EXPECT_TRUE(fs::exists(output / "sub" / "kept"));
    EXPECT_FALSE(fs::exists(temp / "elsewhere" / "listed"));
    EXPECT_TRUE(fs::exists(backup / "Manifest.db"));
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
