// The main() of every engine test program. Whatever the shell that starts it,
// a test program sees one time zone (UTC; a test that wants another sets it
// for its own scope) and a temporary folder of its own, which it leaves
// nothing outside of: every TempFolder, the decryption scratch folder and the
// files of the programs it starts land below it, and it goes at the end.

#include "support/Environment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    orvelle::test::setTimeZone("UTC");
    const orvelle::test::ProgramTempFolder temp("orvelle-tests");
    return RUN_ALL_TESTS();
}
