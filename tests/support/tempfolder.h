#pragma once
// A fresh folder under the system's temporary folder, removed with the guard.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <process.h>  // _getpid
#else
#include <stdlib.h>  // mkdtemp
#endif

namespace quendal::testing {

class TempFolder {
public:
    TempFolder() {
        namespace fs = std::filesystem;
#ifdef _WIN32
        static int serial = 0;
        m_path = fs::temp_directory_path() /
                 ("quendal-" + std::to_string(_getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
#else
        std::string pattern = (fs::temp_directory_path() / "quendal-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
#endif
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace quendal::testing
