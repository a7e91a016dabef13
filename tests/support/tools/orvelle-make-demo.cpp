// orvelle-make-demo ROOT: writes the bundled demo backups below ROOT
// (deterministic: the same bytes on every run) and prints their folders.
// orvelle-make-demo --encrypted ROOT: writes the encrypted demo backup
// (password "orvelle-demo") below ROOT and prints its folder.

#include "support/DemoBackup.h"
#include "support/EncryptedFixture.h"

#include <cstring>

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--encrypted") == 0) {
        try {
            std::cout << orvelle::test::makeEncryptedDemoBackup(argv[2]).string() << '\n';
        } catch (const std::exception& e) {
            std::cerr << "orvelle-make-demo: " << e.what() << '\n';
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::cerr << "usage: orvelle-make-demo [--encrypted] ROOT\n";
        return 2;
    }
    try {
        const std::filesystem::path root = orvelle::test::makeDemoBackups(argv[1]);
        std::cout << (root / std::string(orvelle::test::kDemoRecentFolder)).string() << '\n'
                  << (root / std::string(orvelle::test::kDemoOlderFolder)).string() << '\n';
    } catch (const std::exception& e) {
        std::cerr << "orvelle-make-demo: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
