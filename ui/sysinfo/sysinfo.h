#pragma once
// The About dialog's System Information button: finds the operating system's
// System Information tool through the registry and starts it, or tells the
// user that it is unavailable. No Qt here: the dialog calls StartSysInfo with
// the host's services and its message box; tests pass doubles of both.

#include <cstdint>
#include <string>

#include "messenger.h"
#include "platform.h"

namespace quendal {

namespace sysinfo {

// Where the tool is recorded, both under HKEY_LOCAL_MACHINE: first its full
// path, then the folder that holds it, each as an absolute path.
inline constexpr char ToolPathKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr char ToolPathValue[] = "PATH";
inline constexpr char ToolFolderKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr char ToolFolderValue[] = "MSINFO";
// Appended to the folder, backslash included.
inline constexpr char ToolFileName[] = "\\MSINFO32.EXE";

inline constexpr char MsgUnavailable[] = "此时系统信息不可用";

// Where neither location records a tool (a Linux desktop), the desktop's own
// by its desktop entry id, the first one installed: KDE's Info Center, GNOME
// Settings' About panel (GNOME 46 and later, then 40 to 45), HardInfo.
inline constexpr const char* DesktopToolIds[] = {
    "org.kde.kinfocenter.desktop", "gnome-about-panel.desktop", "gnome-info-overview-panel.desktop",
    "hardinfo2.desktop", "hardinfo.desktop"};

// The receive buffer of GetKeyValue: longer values count as unreadable.
inline constexpr std::uint32_t ValueBufferSize = 1024;

}  // namespace sysinfo

// Reads the value SubKeyRef of the key KeyName under KeyRoot as text into
// KeyVal. A string (type 1) gives its text without a terminating NUL; a 32-bit
// number (type 4) the decimal text of its unsigned little-endian value; any
// other type leaves KeyVal as it was. False, with KeyVal empty, when the key
// or value is missing, does not fit the buffer, or is a number of fewer than
// four bytes. The key is opened read-only and always closed again.
bool GetKeyValue(platform::KeyStore& store, platform::RootKey KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal);

// Starts the tool from the path recorded in the registry, or from the recorded
// folder when the tool is found there, or else the first desktop entry of
// sysinfo::DesktopToolIds that is installed (none on Windows). Each value counts only as an
// absolute path, "C:\..." or "\\server\..." (either slash): Windows would resolve anything else (an
// empty text, a number, "tools\x", "\tools\x", "C:tools\x") against the current folder or drive.
// Such a recorded path gives way to the folder, such a folder to the desktop entries, and they to
// the message. Every failure, a failed start included, ends in the one message
// sysinfo::MsgUnavailable.
void StartSysInfo(platform::Services& services, Messenger& messenger);

}  // namespace quendal
