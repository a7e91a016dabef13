#include "support/TempFolder.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace orvelle::test {

namespace {
long processId() {
#ifdef _WIN32
    return ::_getpid();
#else
    return static_cast<long>(::getpid());
#endif
}
} // namespace

TempFolder::TempFolder(const std::string& prefix) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ostringstream name;
        name << prefix << '-' << processId() << '-' << counter++ << '-' << rd();
        auto candidate = std::filesystem::temp_directory_path() / name.str();
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Stored files may have been made read-only by a test; give write back first.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

ProgramTempFolder::ProgramTempFolder(const std::string& prefix)
    : m_folder(prefix), m_tmpdir("TMPDIR", m_folder.path().string().c_str()),
      m_tmp("TMP", m_folder.path().string().c_str()), m_temp("TEMP", m_folder.path().string().c_str()) {}

void writeFile(const std::filesystem::path& path, std::string_view data) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace orvelle::test
