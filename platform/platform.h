#pragma once
// What the About dialog's System Information button needs from the operating
// system: read access to the registry (a key store), a file-existence test and
// a program launcher. The Windows backend uses the real registry and process
// API; elsewhere a portable backend stands in, whose key store has no keys.
// Standard C++ only in this header, so that tests can replace every part.

#include <cstdint>
#include <string>

namespace quendal::platform {

enum class RootKey { LocalMachine };

using KeyHandle = std::uintptr_t;  // 0: no key

// Status codes as the Windows registry API returns them.
inline constexpr long kSuccess = 0;       // ERROR_SUCCESS
inline constexpr long kFileNotFound = 2;  // ERROR_FILE_NOT_FOUND: no such key or value
inline constexpr long kMoreData = 234;    // ERROR_MORE_DATA: the value does not fit

// KEY_READ: query values and enumerate, nothing that writes. Windows refuses
// write access to HKEY_LOCAL_MACHINE to a standard user, so ask for no more.
inline constexpr std::uint32_t kKeyRead = 0x20019;

// Value types of the registry that the program understands.
enum class ValueType : std::uint32_t { String = 1, Number32 = 4 };  // REG_SZ, REG_DWORD

struct QueryResult {
    long status = kSuccess;  // kSuccess when the value was stored into the buffer
    std::uint32_t type = 0;  // the value's registry type, any number
    std::uint32_t size = 0;  // bytes stored; on kMoreData the size the value needs
};

class KeyStore {
public:
    virtual ~KeyStore() = default;
    // RegOpenKeyExA. Key path and value names are 8-bit text in the system
    // code page. On success handle receives an open key to close with CloseKey.
    virtual long OpenKey(RootKey root, const std::string& path, std::uint32_t options,
                         std::uint32_t accessMask, KeyHandle& handle) = 0;
    // RegQueryValueExA into the caller's buffer of `size` bytes; bytes after
    // the stored ones are left as they were.
    virtual QueryResult QueryValue(KeyHandle handle, const std::string& valueName, char* buffer,
                                   std::uint32_t size) = 0;
    // RegCloseKey.
    virtual void CloseKey(KeyHandle handle) = 0;
};

class FileProbe {
public:
    virtual ~FileProbe() = default;
    // True only for a normal file, not a folder. The path is 8-bit text in the
    // system code page, as read from the registry.
    virtual bool FileExists(const std::string& path) = 0;
};

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // Starts the program at `path` (system code page) with a normal, focused
    // window and does not wait for it; never through a shell, so the path is
    // only ever the program's own name. On Windows that means a name ending
    // in ".exe" as Windows resolves it (trailing dots and spaces dropped, no
    // ":stream"): anything else, a batch file first, is refused. False when
    // it could not be started.
    virtual bool Launch(const std::string& path) = 0;
    // Starts the program of the installed desktop entry of that id
    // ("org.kde.kinfocenter.desktop") as the entry says, found where the
    // freedesktop.org rules look (XDG_DATA_HOME, XDG_DATA_DIRS), never
    // through a shell. False when no such entry is installed or shown (a
    // hidden one, one whose TryExec program is missing) or its program could
    // not be started. Hosts without desktop entries (Windows) have none.
    virtual bool LaunchDesktopEntry(const std::string& /*id*/) { return false; }
};

struct Services {
    KeyStore& keys;
    FileProbe& files;
    ProgramLauncher& launcher;
};

// The host's own services, alive for the whole program.
Services& SystemServices();

}  // namespace quendal::platform
