#pragma once
/// The sample data in the shared/ folder beside the repository (real device
/// databases and schemas). A fresh clone may lack that folder: a test that
/// needs it starts with ORVELLE_NEED_SHARED_DATA(path), which skips the test,
/// naming the missing path, when it is absent.

#include <filesystem>
#include <gtest/gtest.h>

namespace orvelle::test {

/// `relative` below the shared data folder.
inline std::filesystem::path sharedData(const std::filesystem::path& relative) {
    return std::filesystem::path(ORVELLE_SHARED_DATA) / relative;
}

} // namespace orvelle::test

#define ORVELLE_NEED_SHARED_DATA(relative)                                                             \
    do {                                                                                              \
        if (!std::filesystem::exists(::orvelle::test::sharedData(relative)))                         \
            GTEST_SKIP() << "needs the sample data " << ::orvelle::test::sharedData(relative).string() \
                         << " (the shared/ folder beside the repository), which is absent";           \
    } while (false)
