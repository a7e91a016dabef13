// orvelle-write-fuzz-seeds FOLDER: writes the seed inputs of the fuzz targets
// over a backup's small files, made by the fixture builders, as
// FOLDER/<target>/<name> (fuzz/seeds/ in the source tree holds a copy):
// manifest_mbdb, keybag, property_lists and typedstream.

#include "decrypt/ManifestPlist.h"
#include "support/BackupBuilder.h"
#include "support/DemoBackup.h"
#include "support/DeviceDb.h"
#include "support/EncryptedFixture.h"
#include "support/InfoPlistWriter.h"
#include "support/TempFolder.h"

#include <exception>
#include <iostream>
#include <string>

namespace fs = std::filesystem;
using namespace orvelle;

namespace {

void writeSeed(const fs::path& folder, const std::string& target, const std::string& name, std::string_view bytes) {
    fs::create_directories(folder / target);
    test::writeFile(folder / target / name, bytes);
}

// The keybag and Manifest.plist of an encrypted copy of the sample files.
void writeEncryptedSeeds(const fs::path& folder, const fs::path& work, bool doubleProtection) {
    test::EncryptionSettings settings;
    settings.doubleProtection = doubleProtection;
    const std::string form = doubleProtection ? "ios10" : "ios9";
    const fs::path plain = work / ("plain-" + form);
    const fs::path encrypted = work / ("encrypted-" + form);
    test::writeEncryptedBackup(plain, encrypted, test::ManifestKind::Mbdb, test::sampleFixtureFiles(), settings);
    decrypt::ManifestPlist manifest;
    std::string error;
    if (!decrypt::readManifestPlist(encrypted / "Manifest.plist", manifest, error))
        throw std::runtime_error("Manifest.plist of the encrypted fixture: " + error);
    writeSeed(folder, "keybag", form, manifest.keyBag);
    writeSeed(folder, "property_lists", "manifest-" + form, test::readFile(encrypted / "Manifest.plist"));
    writeSeed(folder, "manifest_mbdb", "encrypted-" + form, test::readFile(encrypted / "Manifest.mbdb"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: orvelle-write-fuzz-seeds FOLDER\n";
        return 2;
    }
    try {
        const fs::path folder = argv[1];
        test::TempFolder work("orvelle-fuzz-seeds");

        test::BackupBuilder older = test::demoOlderBackup();
        older.setManifest(test::ManifestKind::Mbdb);
        older.build(work / "older");
        writeSeed(folder, "manifest_mbdb", "demo-older", test::readFile(work / "older" / "Manifest.mbdb"));
        writeSeed(folder, "property_lists", "info-xml", test::readFile(work / "older" / "Info.plist"));
        writeSeed(folder, "property_lists", "info-binary", test::InfoPlistWriter().toBinary());
        writeEncryptedSeeds(folder, work.path(), true);
        writeEncryptedSeeds(folder, work.path(), false);

        writeSeed(folder, "typedstream", "short", test::attributedBodyArchive("See you at 8?"));
        writeSeed(folder, "typedstream", "unicode", test::attributedBodyArchive("Grüße, 你好 👋"));
        writeSeed(folder, "typedstream", "long", test::attributedBodyArchive(std::string(300, 'x')));
        writeSeed(folder, "typedstream", "longer", test::attributedBodyArchive(std::string(33000, 'y')));
    } catch (const std::exception& e) {
        std::cerr << "orvelle-write-fuzz-seeds: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
