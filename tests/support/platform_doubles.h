#pragma once
// Test doubles of the platform services: a key store held in memory that
// behaves like the registry's ANSI calls and records how it is used, a file
// probe that answers from a list, and a launcher that records every start.

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"

namespace quendal::testing {

class MemoryKeyStore : public platform::KeyStore {
public:
    struct OpenCall {
        std::string path;
        std::uint32_t options;
        std::uint32_t accessMask;
    };
    struct QueryCall {
        std::string valueName;
        std::uint32_t size;
        bool bufferWasClear;  // every byte NUL on entry
    };

    // Any bytes, any type, as RegSetValueExA would store them.
    void SetValue(const std::string& key, const std::string& name, std::uint32_t type,
                  std::string bytes) {
        m_keys[key][name] = {type, std::move(bytes)};
    }
    void SetString(const std::string& key, const std::string& name, const std::string& text) {
        SetValue(key, name, 1, text + '\0');
    }
    void SetNumber(const std::string& key, const std::string& name, std::uint32_t number) {
        std::string bytes(4, '\0');
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFFu);
        }
        SetValue(key, name, 4, bytes);
    }
    // A key that exists without values.
    void AddKey(const std::string& key) { m_keys[key]; }

    long OpenKey(platform::RootKey root, const std::string& path, std::uint32_t options,
                 std::uint32_t accessMask, platform::KeyHandle& handle) override {
        opens.push_back({path, options, accessMask});
        if (root != platform::RootKey::LocalMachine || m_keys.count(path) == 0) {
            return platform::kFileNotFound;
        }
        handle = m_nextHandle++;
        m_open[handle] = path;
        return platform::kSuccess;
    }

    platform::QueryResult QueryValue(platform::KeyHandle handle, const std::string& valueName,
                                     char* buffer, std::uint32_t size) override {
        bool clear = true;
        for (std::uint32_t i = 0; i < size; ++i) {
            clear = clear && buffer[i] == '\0';
        }
        queries.push_back({valueName, size, clear});
        const auto key = m_open.find(handle);
        if (key == m_open.end()) {
            return {6, 0, 0};  // ERROR_INVALID_HANDLE
        }
        const auto& values = m_keys.at(key->second);
        const auto value = values.find(valueName);
        if (value == values.end()) {
            return {platform::kFileNotFound, 0, 0};
        }
        const std::string& bytes = value->second.bytes;
        const auto needed = static_cast<std::uint32_t>(bytes.size());
        if (needed > size) {
            return {platform::kMoreData, value->second.type, needed};
        }
        std::memcpy(buffer, bytes.data(), bytes.size());
        return {platform::kSuccess, value->second.type, needed};
    }

    void CloseKey(platform::KeyHandle handle) override {
        closes.push_back(handle);
        if (m_open.erase(handle) == 0) {
            badCloses.push_back(handle);
        }
    }

    std::size_t OpenKeys() const { return m_open.size(); }

    std::vector<OpenCall> opens;
    std::vector<QueryCall> queries;
    std::vector<platform::KeyHandle> closes;
    std::vector<platform::KeyHandle> badCloses;  // handles that were not open

private:
    struct Value {
        std::uint32_t type;
        std::string bytes;
    };
    std::map<std::string, std::map<std::string, Value>> m_keys;
    std::map<platform::KeyHandle, std::string> m_open;
    // Not 0, and not the first value a careless caller might pass.
    platform::KeyHandle m_nextHandle = 0x1000;
};

class ListedFiles : public platform::FileProbe {
public:
    bool FileExists(const std::string& path) override {
        probes.push_back(path);
        return files.count(path) != 0;
    }
    std::set<std::string> files;
    std::vector<std::string> probes;
};

// Starts only the paths listed in `programs`, as a real launcher starts only
// programs; `throws` makes every start raise instead.
class RecordingLauncher : public platform::ProgramLauncher {
public:
    bool Launch(const std::string& path) override {
        attempts.push_back(path);
        if (throws) {
            throw std::runtime_error("launcher failed");
        }
        return programs.count(path) != 0;
    }
    // Starts only the desktop entries listed in `entries`.
    bool LaunchDesktopEntry(const std::string& id) override {
        entryAttempts.push_back(id);
        return entries.count(id) != 0;
    }
    std::set<std::string> programs;
    std::set<std::string> entries;
    bool throws = false;
    std::vector<std::string> attempts;
    std::vector<std::string> entryAttempts;
};

}  // namespace quendal::testing
