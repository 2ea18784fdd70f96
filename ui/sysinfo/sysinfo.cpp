// Reads where the System Information tool is recorded and starts it.

#include "sysinfo.h"

#include <array>
#include <cstdint>
#include <exception>

namespace quendal {
namespace {

// Closes the key on every way out of GetKeyValue once it was opened.
class OpenKey {
public:
    OpenKey(platform::KeyStore& store, platform::KeyHandle handle)
        : m_store(store), m_handle(handle) {}
    ~OpenKey() { m_store.CloseKey(m_handle); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

private:
    platform::KeyStore& m_store;
    platform::KeyHandle m_handle;
};

bool Unreadable(std::string& KeyVal) {
    KeyVal.clear();
    return false;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "C:\..." or "\\server\...", either slash as Windows reads them. Windows
// resolves anything else ("", "5", "tools\x", "\tools\x", "C:tools\x", "C:")
// against the current folder or drive, where anyone may have left a program.
bool IsAbsolutePath(const std::string& path) {
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) {
        return true;
    }
    return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
           !IsSeparator(path[2]);
}

// A value of either location that is not an absolute path counts as missing.
bool ReadRecordedPath(platform::KeyStore& store, const char* keyName, const char* valueName,
                      std::string& path) {
    return GetKeyValue(store, platform::RootKey::LocalMachine, keyName, valueName, path) &&
           IsAbsolutePath(path);
}

}  // namespace

bool GetKeyValue(platform::KeyStore& store, platform::RootKey KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal) {
    platform::KeyHandle handle = 0;
    if (store.OpenKey(KeyRoot, KeyName, 0, platform::kKeyRead, handle) != platform::kSuccess) {
        return Unreadable(KeyVal);
    }
    const OpenKey key(store, handle);

    std::array<char, sysinfo::ValueBufferSize> buffer{};
    const platform::QueryResult result =
        store.QueryValue(handle, SubKeyRef, buffer.data(), sysinfo::ValueBufferSize);
    if (result.status != platform::kSuccess || result.size > buffer.size()) {
        return Unreadable(KeyVal);
    }
    const std::size_t stored = result.size;

    switch (result.type) {
        case static_cast<std::uint32_t>(platform::ValueType::String): {
            // Stored with or without its terminating NUL, the text is the same.
            std::size_t length = stored;
            if (length > 0 && buffer[length - 1] == '\0') {
                --length;
            }
            KeyVal.assign(buffer.data(), length);
            return true;
        }
        case static_cast<std::uint32_t>(platform::ValueType::Number32): {
            if (stored < 4) {
                return Unreadable(KeyVal);
            }
            std::uint32_t number = 0;
            for (std::size_t i = 4; i-- > 0;) {
                number = (number << 8) | static_cast<unsigned char>(buffer[i]);
            }
            KeyVal = std::to_string(number);
            return true;
        }
        default:
            return true;
    }
}

void StartSysInfo(platform::Services& services, Messenger& messenger) {
    bool started = false;
    try {
        std::string toolPath;
        std::string folder;
        if (ReadRecordedPath(services.keys, sysinfo::ToolPathKey, sysinfo::ToolPathValue,
                             toolPath)) {
            // The recorded path is trusted as it stands: no existence test.
            started = services.launcher.Launch(toolPath);
        } else if (ReadRecordedPath(services.keys, sysinfo::ToolFolderKey, sysinfo::ToolFolderValue,
                                    folder)) {
            const std::string tool = folder + sysinfo::ToolFileName;
            started = services.files.FileExists(tool) && services.launcher.Launch(tool);
        } else {
            for (const char* id : sysinfo::DesktopToolIds) {
                started = services.launcher.LaunchDesktopEntry(id);
                if (started) break;
            }
        }
    } catch (const std::exception&) {
        started = false;
    }
    if (!started) {
        messenger.ShowMessage(sysinfo::MsgUnavailable);
    }
}

}  // namespace quendal
