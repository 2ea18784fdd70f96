#pragma once
// The marker files that launched programs leave: waiting for one to appear,
// and reading a file whole.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace quendal::testing {

// A launched program runs on its own; the default gives it ample time to
// leave its mark, even under a slow Wine.
inline bool WaitForFile(const std::filesystem::path& path,
                        std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    const auto step = std::chrono::milliseconds(50);
    for (auto waited = std::chrono::milliseconds(0);; waited += step) {
        if (std::filesystem::exists(path)) {
            return true;
        }
        if (waited >= timeout) {
            return false;
        }
        std::this_thread::sleep_for(step);
    }
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace quendal::testing
