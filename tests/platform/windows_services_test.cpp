// The Windows platform services against a real registry, file system and
// process table: Wine's, in a throwaway prefix. The registry cases write the
// values they need into HKEY_LOCAL_MACHINE and remove them again, so they skip
// themselves anywhere but under Wine.

#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "bytes.h"
#include "markerfile.h"
#include "platform.h"
#include "recorders.h"
#include "sysinfo.h"
#include "tempfolder.h"

namespace quendal {
namespace {

namespace fs = std::filesystem;
using quendal::testing::Bytes;
using quendal::testing::ReadFile;
using quendal::testing::TempFolder;
using quendal::testing::WaitForFile;

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

#define REQUIRE_WINE()                                                                   \
    if (!UnderWine()) {                                                                  \
        GTEST_SKIP() << "writes to HKEY_LOCAL_MACHINE: runs only in a Wine test prefix"; \
    }

// This process is 32-bit on 64-bit Windows: it has its own registry view and
// sees SysWOW64 where it names System32.
bool UnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

bool SystemIs64Bit() { return sizeof(void*) == 8 || UnderWow64(); }

// Windows compares file names without regard to case; Wine reports a
// program's own path in the case of its own folders ("C:\\windows\\system32").
std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

fs::path WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    return std::wstring(folder, GetWindowsDirectoryW(folder, MAX_PATH));
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, result.data(), bytes, nullptr, nullptr);
    return result;
}

// A path as the registry's ANSI calls would give it: in the system code page.
std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, result.data(), bytes, nullptr, nullptr);
    return result;
}

fs::path OwnFolder() {
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return fs::path(self).parent_path();
}

// The program that stands in for MSINFO32.EXE, built beside the tests.
fs::path StandIn() { return OwnFolder() / L"quendal_stand_in.exe"; }

fs::path MarkerOf(const fs::path& program) { return fs::path(program.wstring() + L".ran"); }

// How long a program that should not have started gets to show that it did.
constexpr std::chrono::milliseconds kSettle = std::chrono::seconds(1);

// Copies the stand-in to `path` (creating its folder) and returns `path`.
fs::path PlaceStandIn(const fs::path& path) {
    fs::create_directories(path.parent_path());
    fs::copy_file(StandIn(), path, fs::copy_options::overwrite_existing);
    return path;
}

// A subfolder of the 64-bit System32 (the only System32 of 32-bit Windows),
// removed with the guard. A 32-bit program reaches it through Sysnative.
class System32Folder {
public:
    System32Folder()
        : m_name(L"QuendalTests-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++s_serial)) {
        fs::create_directories(Path());
    }
    ~System32Folder() {
        std::error_code ignored;
        fs::remove_all(Path(), ignored);
    }
    System32Folder(const System32Folder&) = delete;
    System32Folder& operator=(const System32Folder&) = delete;

    // Where this process finds the folder.
    fs::path Path() const {
        return WindowsFolder() / (UnderWow64() ? L"Sysnative" : L"System32") / m_name;
    }
    // As the registry records it.
    fs::path Recorded() const { return WindowsFolder() / L"System32" / m_name; }

private:
    static inline int s_serial = 0;
    std::wstring m_name;
};

// The registry view a value is written to. The program reads the 64-bit one,
// from either build; 32-bit Windows has just one.
enum class View : REGSAM { SixtyFour = KEY_WOW64_64KEY, ThirtyTwo = KEY_WOW64_32KEY };

// Values of HKEY_LOCAL_MACHINE written for one case; the keys are removed
// from both views before the case and again after it.
class RegistryScratch {
public:
    explicit RegistryScratch(std::vector<std::string> keys, View view = View::SixtyFour)
        : m_keys(std::move(keys)), m_view(static_cast<REGSAM>(view)) {
        Clear();
    }
    ~RegistryScratch() { Clear(); }
    RegistryScratch(const RegistryScratch&) = delete;
    RegistryScratch& operator=(const RegistryScratch&) = delete;

    // Exactly these bytes: a string without its NUL stays without one, which
    // `reg add` cannot do. RegSetValueExA counts a NUL that follows a string's
    // bytes as part of it, so the bytes are followed by another character.
    void Set(const std::string& key, const std::string& name, DWORD type,
             const std::string& bytes) {
        const HKEY handle = Create(key);
        const std::string data = bytes + '#';
        const LONG status = RegSetValueExA(handle, name.c_str(), 0, type,
                                           reinterpret_cast<const BYTE*>(data.data()),
                                           static_cast<DWORD>(bytes.size()));
        RegCloseKey(handle);
        ASSERT_EQ(status, ERROR_SUCCESS) << key << " " << name;
    }
    // A string with its NUL, stored as UTF-16, whatever the code page.
    void SetWide(const std::string& key, const std::string& name, const std::wstring& text) {
        const HKEY handle = Create(key);
        const std::wstring wideName(name.begin(), name.end());
        const LONG status = RegSetValueExW(handle, wideName.c_str(), 0, REG_SZ,
                                           reinterpret_cast<const BYTE*>(text.c_str()),
                                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
        ASSERT_EQ(status, ERROR_SUCCESS) << key << " " << name;
    }
    void AddKey(const std::string& key) { RegCloseKey(Create(key)); }

private:
    HKEY Create(const std::string& key) const {
        HKEY handle = nullptr;
        const LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                            KEY_ALL_ACCESS | m_view, nullptr, &handle, nullptr);
        EXPECT_EQ(status, ERROR_SUCCESS) << key;
        return handle;
    }
    void Clear() const {
        for (const std::string& key : m_keys) {
            const std::size_t last = key.rfind('\\');
            for (const REGSAM view : {REGSAM{KEY_WOW64_64KEY}, REGSAM{KEY_WOW64_32KEY}}) {
                HKEY parent = nullptr;
                if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.substr(0, last).c_str(), 0,
                                  KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS) {
                    continue;
                }
                RegDeleteTreeA(parent, key.substr(last + 1).c_str());
                RegCloseKey(parent);
            }
        }
    }

    std::vector<std::string> m_keys;
    REGSAM m_view;
};

// Runs a program to its end and returns its exit code.
DWORD RunAndWait(const std::wstring& program, std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return static_cast<DWORD>(-1);
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

const std::string kTestKey = "SOFTWARE\\Quendal Tests";
const std::string kValue = "Value";
const std::string kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::vector<std::string> kNoMessage;
const std::vector<std::string> kUnavailable{"此时系统信息不可用"};

// ------------------------------------------------------ GetKeyValue, registry

struct RegistryRead {
    const char* name;
    DWORD type;
    std::string bytes;
    bool ok;
    std::string text;
    View view = View::SixtyFour;  // written there only
};

std::ostream& operator<<(std::ostream& out, const RegistryRead& row) { return out << row.name; }

class RegistryGetKeyValue : public ::testing::TestWithParam<RegistryRead> {};

TEST_P(RegistryGetKeyValue, ReadsTheStoredValue) {
    REQUIRE_WINE();
    const RegistryRead& row = GetParam();
    if (row.view == View::ThirtyTwo && !SystemIs64Bit()) {
        GTEST_SKIP() << "32-bit Windows has one registry view";
    }
    RegistryScratch scratch({kTestKey}, row.view);
    scratch.Set(kTestKey, kValue, row.type, row.bytes);

    std::string KeyVal = "entry";
    const bool ok = GetKeyValue(platform::SystemServices().keys, platform::RootKey::LocalMachine,
                                kTestKey, kValue, KeyVal);
    EXPECT_EQ(ok, row.ok);
    EXPECT_EQ(KeyVal, row.text) << "size " << KeyVal.size() << ", expected " << row.text.size();
}

const std::string kText = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe";

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryGetKeyValue,
    ::testing::Values(
        RegistryRead{"StringWithItsNul", REG_SZ, kText + '\0', true, kText},
        RegistryRead{"StringWithoutNul", REG_SZ, kText, true, kText},
        RegistryRead{"EmptyStringOfZeroBytes", REG_SZ, "", true, ""},
        RegistryRead{"EmptyStringOfOneNul", REG_SZ, std::string(1, '\0'), true, ""},
        RegistryRead{"StringFillingTheBufferWithNul", REG_SZ, std::string(1023, 'x') + '\0', true,
                     std::string(1023, 'x')},
        RegistryRead{"StringFillingTheBufferWithoutNul", REG_SZ, std::string(1024, 'x'), true,
                     std::string(1024, 'x')},
        RegistryRead{"StringOneByteTooLong", REG_SZ, std::string(1024, 'x') + '\0', false, ""},
        RegistryRead{"StringFarTooLong", REG_SZ, std::string(4000, 'x') + '\0', false, ""},
        RegistryRead{"NumberWithBytesBelow0x10", REG_DWORD, Bytes({0x05, 0x01, 0, 0}), true, "261"},
        RegistryRead{"NumberAboveTheSignedRange", REG_DWORD, Bytes({0xFF, 0xFF, 0xFF, 0xFF}), true,
                     "4294967295"},
        RegistryRead{"NumberOfTwoBytes", REG_DWORD, Bytes({0x05, 0x01}), false, ""},
        RegistryRead{"BinaryLeavesTheEntryText", REG_BINARY, Bytes({1, 2, 3}), true, "entry"},
        // Both builds read the 64-bit view, where System Information records
        // itself: what only 32-bit programs see does not count.
        RegistryRead{"StringOnlyIn32BitView", REG_SZ, kText + '\0', false, "", View::ThirtyTwo}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RegistryScratch, StoresAStringWithoutItsNul) {
    REQUIRE_WINE();
    RegistryScratch scratch({kTestKey});
    scratch.Set(kTestKey, kValue, REG_SZ, "abc");
    // As stored: three UTF-16 characters and no NUL. Otherwise the case
    // "StringWithoutNul" would prove nothing.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quendal Tests", 0,
                            KEY_READ | KEY_WOW64_64KEY, &key),
              ERROR_SUCCESS);
    DWORD size = 0;
    const LONG status = RegQueryValueExW(key, L"Value", nullptr, nullptr, nullptr, &size);
    RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(size, 3 * sizeof(wchar_t));
}

TEST(RegistryGetKeyValueOf, StringAddedByRegExe) {
    REQUIRE_WINE();
    RegistryScratch scratch({kTestKey});
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::wstring reg = std::wstring(system) + L"\\reg.exe";
    ASSERT_EQ(RunAndWait(reg,
                         L"reg add \"HKLM\\SOFTWARE\\Quendal Tests\" /v Value /t REG_SZ "
                         L"/d \"C:\\Tools\\msinfo 32.exe\" /f /reg:64"),
              0u);
    std::string KeyVal;
    EXPECT_TRUE(GetKeyValue(platform::SystemServices().keys, platform::RootKey::LocalMachine,
                            kTestKey, kValue, KeyVal));
    EXPECT_EQ(KeyVal, "C:\\Tools\\msinfo 32.exe");
}

TEST(RegistryGetKeyValueOf, MissingValueAndMissingKey) {
    REQUIRE_WINE();
    RegistryScratch scratch({kTestKey});
    scratch.AddKey(kTestKey);
    platform::KeyStore& keys = platform::SystemServices().keys;
    std::string KeyVal = "entry";
    EXPECT_FALSE(GetKeyValue(keys, platform::RootKey::LocalMachine, kTestKey, kValue, KeyVal));
    EXPECT_EQ(KeyVal, "");
    KeyVal = "entry";
    EXPECT_FALSE(
        GetKeyValue(keys, platform::RootKey::LocalMachine, kTestKey + "\\Missing", kValue, KeyVal));
    EXPECT_EQ(KeyVal, "");
}

TEST(WindowsKeyStore, ReadOnlyOpenGivesAKeyThatRefusesWrites) {
    REQUIRE_WINE();
    RegistryScratch scratch({kTestKey});
    scratch.AddKey(kTestKey);
    platform::KeyStore& keys = platform::SystemServices().keys;
    platform::KeyHandle handle = 0;
    ASSERT_EQ(
        keys.OpenKey(platform::RootKey::LocalMachine, kTestKey, 0, platform::kKeyRead, handle),
        platform::kSuccess);
    const DWORD number = 1;
    EXPECT_EQ(RegSetValueExA(reinterpret_cast<HKEY>(handle), "Written", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&number), sizeof(number)),
              ERROR_ACCESS_DENIED);
    keys.CloseKey(handle);
}

// ------------------------------------------------------- files and programs

TEST(WindowsFileProbe, OnlyANormalFileExists) {
    TempFolder temp;
    const fs::path file = temp.Path() / L"MSINFO32.EXE";
    std::ofstream(file) << "x";
    fs::create_directory(temp.Path() / L"folder");
    platform::FileProbe& probe = platform::SystemServices().files;

    EXPECT_TRUE(probe.FileExists(Narrow(file.wstring())));
    EXPECT_FALSE(probe.FileExists(Narrow((temp.Path() / L"folder").wstring())));
    EXPECT_FALSE(probe.FileExists(Narrow((temp.Path() / L"missing.exe").wstring())));
    EXPECT_FALSE(probe.FileExists(""));
}

// Where a launch test puts its files: a fresh temporary folder, or a fresh
// folder in System32, which the 32-bit build must not mistake for SysWOW64.
enum class Where { Temp, System32 };

// A fresh folder of either kind: where the test writes, and the path as the
// program is given it.
class TestFolder {
public:
    explicit TestFolder(Where where) {
        if (where == Where::System32) {
            m_system32.emplace();
        } else {
            m_temp.emplace();
        }
    }
    fs::path Path() const { return m_system32 ? m_system32->Path() : m_temp->Path(); }
    fs::path Named() const { return m_system32 ? m_system32->Recorded() : m_temp->Path(); }

private:
    std::optional<TempFolder> m_temp;
    std::optional<System32Folder> m_system32;
};

struct StartedLaunch {
    const char* name;
    const wchar_t* file;    // the program, under a fresh folder
    const wchar_t* suffix;  // appended to the name that is launched
    Where where = Where::Temp;
};

std::ostream& operator<<(std::ostream& out, const StartedLaunch& row) { return out << row.name; }

class WindowsLauncherStarts : public ::testing::TestWithParam<StartedLaunch> {};

TEST_P(WindowsLauncherStarts, TheProgramItself) {
    const StartedLaunch& row = GetParam();
    const TestFolder folder(row.where);
    const fs::path program = PlaceStandIn(folder.Path() / row.file);
    const fs::path named = folder.Named() / row.file;
    ASSERT_TRUE(platform::SystemServices().launcher.Launch(Narrow(named.wstring() + row.suffix)));
    ASSERT_TRUE(WaitForFile(MarkerOf(program)));
    EXPECT_EQ(Lower(ReadFile(MarkerOf(program))), Lower(Utf8(named.wstring())));
}

INSTANTIATE_TEST_SUITE_P(Names, WindowsLauncherStarts,
                         ::testing::Values(
                             // cmd.exe would split, expand or redirect at these characters.
                             StartedLaunch{"SpacesAndShellCharacters",
                                           L"a & b (x86) %PATH% ^ ;\\tool & run %OS%.exe", L""},
                             StartedLaunch{"SuffixInCapitals", L"MSINFO32.EXE", L""},
                             // Windows drops the trailing dots and spaces: still the program.
                             StartedLaunch{"TrailingDotAndSpace", L"tool.exe", L". ."},
                             StartedLaunch{"InSystem32", L"MSINFO32.EXE", L"", Where::System32}),
                         [](const auto& row) { return std::string(row.param.name); });

enum class Body {
    None,     // no file
    Batch,    // leaves the file "ran" beside itself when a shell runs it
    Program,  // the stand-in, which leaves its own marker beside itself
};

struct FailedLaunch {
    const char* name;
    const wchar_t* file;  // created under a fresh folder
    Body body;
    const wchar_t* suffix;  // appended to the name that is launched
    Where where = Where::Temp;
};

std::ostream& operator<<(std::ostream& out, const FailedLaunch& row) { return out << row.name; }

class WindowsLauncherFails : public ::testing::TestWithParam<FailedLaunch> {};

TEST_P(WindowsLauncherFails, Cleanly) {
    const FailedLaunch& row = GetParam();
    const TestFolder folder(row.where);
    const fs::path path = folder.Path() / row.file;
    switch (row.body) {
        case Body::None:
            break;
        case Body::Batch:
            std::ofstream(path) << "echo x> \"%~dp0ran\"\r\n";
            break;
        case Body::Program:
            PlaceStandIn(path);
            break;
    }
    const fs::path named = folder.Named() / row.file;
    EXPECT_FALSE(platform::SystemServices().launcher.Launch(Narrow(named.wstring() + row.suffix)));
    if (row.body != Body::None) {
        // Nothing ran: a shell with the batch file, or the program, would have
        // left its marker beside it.
        std::this_thread::sleep_for(kSettle);
        std::vector<fs::path> left;
        for (const auto& entry : fs::directory_iterator(folder.Path())) {
            left.push_back(entry.path().filename());
        }
        EXPECT_EQ(left, std::vector<fs::path>{path.filename()});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WindowsLauncherFails,
    ::testing::Values(
        FailedLaunch{"MissingFile", L"MSINFO32.EXE", Body::None, L""},
        FailedLaunch{"Folder", L"", Body::None, L""},
        FailedLaunch{"BatchFile", L"tool.bat", Body::Batch, L""},
        FailedLaunch{"CommandFile", L"tool.CMD", Body::Batch, L""},
        FailedLaunch{"ScriptNamedAsAProgram", L"MSINFO32.EXE", Body::Batch, L""},
        // Windows opens each of these names as the batch file itself.
        FailedLaunch{"BatchFileWithTrailingDot", L"tool.bat", Body::Batch, L"."},
        FailedLaunch{"BatchFileWithTrailingSpace", L"tool.bat", Body::Batch, L" "},
        FailedLaunch{"BatchFileDataStream", L"tool.bat", Body::Batch, L"::$DATA"},
        // Programs that CreateProcess would start as they are, but not named as one.
        FailedLaunch{"ProgramNamedBatWithTrailingDot", L"tool.bat", Body::Program, L"."},
        FailedLaunch{"ProgramNamedCmdWithTrailingSpaceAndDot", L"tool.cmd", Body::Program, L" ."},
        FailedLaunch{"ProgramNamedCom", L"tool.com", Body::Program, L""},
        FailedLaunch{"ProgramNamedPif", L"tool.pif", Body::Program, L""},
        FailedLaunch{"ProgramNamedScr", L"tool.scr", Body::Program, L""},
        FailedLaunch{"ProgramWithoutSuffix", L"tool", Body::Program, L""},
        FailedLaunch{"BatchFileInSystem32", L"tool.bat", Body::Batch, L"", Where::System32},
        FailedLaunch{"BatchFileWithTrailingDotInSystem32", L"tool.bat", Body::Batch, L".",
                     Where::System32}),
    [](const auto& row) { return std::string(row.param.name); });

// --------------------------------------------------- StartSysInfo, registry

// Makes a fresh folder the current one for the guard's lifetime.
class CurrentFolder {
public:
    explicit CurrentFolder(fs::path folder)
        : m_previous(fs::current_path()), m_folder(std::move(folder)) {
        fs::create_directories(m_folder);
        fs::current_path(m_folder);
    }
    ~CurrentFolder() {
        std::error_code ignored;
        fs::current_path(m_previous, ignored);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

    const fs::path& Path() const { return m_folder; }

private:
    fs::path m_previous;
    fs::path m_folder;
};

// A share \\quendal-tests\share-<process id>, removed with the guard. Wine
// serves \\server\share from the folder dosdevices\unc\server\share of its
// prefix, which is reached here through the drive that maps the Unix root.
class WineShare {
public:
    WineShare() {
        using UnixFileName = char*(CDECL*)(const wchar_t*);
        using DosFileName = wchar_t*(CDECL*)(const char*);
        const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
        const auto toUnix = reinterpret_cast<UnixFileName>(
            reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "wine_get_unix_file_name")));
        const auto toDos = reinterpret_cast<DosFileName>(
            reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "wine_get_dos_file_name")));
        if (toUnix == nullptr || toDos == nullptr) {
            return;
        }
        // "<prefix>/dosdevices/c:/": the folder above the drive's own entry.
        char* drive = toUnix(L"C:\\");
        if (drive == nullptr) {
            return;
        }
        std::string devices(drive);
        HeapFree(GetProcessHeap(), 0, drive);
        devices.erase(devices.find_last_not_of('/') + 1);
        devices.erase(devices.find_last_of('/') + 1);
        const std::string share = "share-" + std::to_string(GetCurrentProcessId());
        wchar_t* local = toDos((devices + "unc/quendal-tests/" + share).c_str());
        if (local == nullptr) {
            return;
        }
        m_local = local;
        HeapFree(GetProcessHeap(), 0, local);
        fs::create_directories(m_local);
        m_unc = fs::path(L"\\\\quendal-tests") / share;
    }
    ~WineShare() {
        std::error_code ignored;
        if (!m_local.empty()) {
            fs::remove_all(m_local, ignored);
        }
    }
    WineShare(const WineShare&) = delete;
    WineShare& operator=(const WineShare&) = delete;

    const fs::path& Local() const { return m_local; }  // empty when Wine has no such share
    const fs::path& Unc() const { return m_unc; }

private:
    fs::path m_local;
    fs::path m_unc;
};

enum class Place {
    Nothing,
    ToolPath,
    MissingToolPath,
    FolderWithTool,
    FolderWithoutTool,
    UncFolderWithTool,
    // Relative values, with the program they would name left in the current folder.
    RelativeToolPath,
    NumberAsFolder,  // a DWORD 5, read as "5": 5\MSINFO32.EXE
    // In the 64-bit System32, where System Information itself lives.
    ToolPathInSystem32,
    FolderInSystem32WithTool,
};

struct RegistryStart {
    const char* name;
    Place location1;
    Place location2;
    bool launched;  // else the message
};

std::ostream& operator<<(std::ostream& out, const RegistryStart& row) { return out << row.name; }

class RegistryStartSysInfo : public ::testing::TestWithParam<RegistryStart> {};

TEST_P(RegistryStartSysInfo, StartsTheToolOrShowsTheMessage) {
    REQUIRE_WINE();
    const RegistryStart& row = GetParam();
    TempFolder temp;
    const CurrentFolder current(temp.Path() / L"current");
    std::optional<WineShare> share;
    const System32Folder system32;
    RegistryScratch scratch({kToolKey, kFolderKey});
    const fs::path direct = temp.Path() / L"Direct Tools" / L"msinfo32 (x86).exe";
    const fs::path folder = temp.Path() / L"Shared Tools" / L"MSInfo";
    const fs::path relative = fs::path(L"Direct Tools") / L"msinfo32 (x86).exe";
    fs::path expected;                // as started: the first location's tool
    fs::path expectedPlaced;          // the same, as this test reaches it
    std::vector<fs::path> forbidden;  // every other tool placed

    auto plant = [&](const fs::path& started, const fs::path& placed, bool valid) {
        PlaceStandIn(placed);
        if (valid && expected.empty()) {
            expected = started;
            expectedPlaced = placed;
        } else {
            forbidden.push_back(placed);
        }
    };
    for (const auto& [place, key, value] : {std::tuple{row.location1, kToolKey, "PATH"},
                                            std::tuple{row.location2, kFolderKey, "MSINFO"}}) {
        switch (place) {
            case Place::Nothing:
                break;
            case Place::ToolPath:
                plant(direct, direct, true);
                scratch.SetWide(key, value, direct.wstring());
                break;
            case Place::MissingToolPath:
                scratch.SetWide(key, value, direct.wstring());
                break;
            case Place::FolderWithTool:
                plant(folder / L"MSINFO32.EXE", folder / L"MSINFO32.EXE", true);
                scratch.SetWide(key, value, folder.wstring());
                break;
            case Place::FolderWithoutTool:
                fs::create_directories(folder);
                scratch.SetWide(key, value, folder.wstring());
                break;
            case Place::UncFolderWithTool:
                share.emplace();
                ASSERT_FALSE(share->Local().empty()) << "Wine serves no share here";
                plant(share->Unc() / L"MSInfo" / L"MSINFO32.EXE",
                      share->Local() / L"MSInfo" / L"MSINFO32.EXE", true);
                scratch.SetWide(key, value, (share->Unc() / L"MSInfo").wstring());
                break;
            case Place::RelativeToolPath:
                plant(relative, current.Path() / relative, false);
                scratch.SetWide(key, value, relative.wstring());
                break;
            case Place::NumberAsFolder:
                plant({}, current.Path() / L"5" / L"MSINFO32.EXE", false);
                scratch.Set(key, value, REG_DWORD, Bytes({5, 0, 0, 0}));
                break;
            case Place::ToolPathInSystem32:
                plant(system32.Recorded() / L"msinfo32.exe", system32.Path() / L"msinfo32.exe",
                      true);
                scratch.SetWide(key, value, (system32.Recorded() / L"msinfo32.exe").wstring());
                break;
            case Place::FolderInSystem32WithTool:
                plant(system32.Recorded() / L"MSINFO32.EXE", system32.Path() / L"MSINFO32.EXE",
                      true);
                scratch.SetWide(key, value, system32.Recorded().wstring());
                break;
        }
    }

    testing::RecordingMessenger messenger;
    StartSysInfo(platform::SystemServices(), messenger);

    if (row.launched) {
        EXPECT_EQ(messenger.messages, kNoMessage);
        ASSERT_TRUE(WaitForFile(MarkerOf(expectedPlaced)));
        EXPECT_EQ(Lower(ReadFile(MarkerOf(expectedPlaced))), Lower(Utf8(expected.wstring())));
    } else {
        EXPECT_EQ(messenger.messages, kUnavailable);
    }
    for (const fs::path& program : forbidden) {
        EXPECT_FALSE(WaitForFile(MarkerOf(program), kSettle))
            << Utf8(program.wstring()) << " must not run";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Locations, RegistryStartSysInfo,
    ::testing::Values(
        RegistryStart{"RecordedPath", Place::ToolPath, Place::Nothing, true},
        RegistryStart{"RecordedPathWinsOverTheFolder", Place::ToolPath, Place::FolderWithTool,
                      true},
        RegistryStart{"FolderHoldingTheTool", Place::Nothing, Place::FolderWithTool, true},
        RegistryStart{"UncFolderHoldingTheTool", Place::Nothing, Place::UncFolderWithTool, true},
        RegistryStart{"FolderWithoutTheTool", Place::Nothing, Place::FolderWithoutTool, false},
        RegistryStart{"RecordedPathToNoFile", Place::MissingToolPath, Place::Nothing, false},
        RegistryStart{"NeitherLocation", Place::Nothing, Place::Nothing, false},
        RegistryStart{"RelativeRecordedPathIntoTheCurrentFolder", Place::RelativeToolPath,
                      Place::Nothing, false},
        RegistryStart{"RelativeRecordedPathGivesWayToTheFolder", Place::RelativeToolPath,
                      Place::FolderWithTool, true},
        RegistryStart{"NumberAsFolderIntoTheCurrentFolder", Place::Nothing, Place::NumberAsFolder,
                      false},
        // Not the SysWOW64 file of that name, for the 32-bit build: there is none.
        RegistryStart{"RecordedPathInSystem32", Place::ToolPathInSystem32, Place::Nothing, true},
        RegistryStart{"FolderInSystem32HoldingTheTool", Place::Nothing,
                      Place::FolderInSystem32WithTool, true}),
    [](const auto& row) { return std::string(row.param.name); });

// --------------------------------------------------- a Chinese Windows (936)

// Run by ctest a second time under LANG=zh_CN.UTF-8, which gives Wine the
// code page 936; QUENDAL_REQUIRE_ACP makes a wrong code page a failure there.
TEST(ChineseCodePage, FolderWithChineseNameStartsTheTool) {
    REQUIRE_WINE();
    const char* required = std::getenv("QUENDAL_REQUIRE_ACP");
    if (GetACP() != 936) {
        if (required != nullptr) {
            FAIL() << "code page " << GetACP() << ", expected " << required;
        }
        GTEST_SKIP() << "needs the Chinese code page 936, here " << GetACP();
    }
    TempFolder temp;
    RegistryScratch scratch({kToolKey, kFolderKey});
    const fs::path folder = temp.Path() / L"系统信息 工具";
    const fs::path tool = PlaceStandIn(folder / L"MSINFO32.EXE");
    scratch.SetWide(kFolderKey, "MSINFO", folder.wstring());

    // The registry hands the folder over in GBK, not in UTF-8.
    std::string KeyVal;
    ASSERT_TRUE(GetKeyValue(platform::SystemServices().keys, platform::RootKey::LocalMachine,
                            kFolderKey, "MSINFO", KeyVal));
    EXPECT_NE(KeyVal.find("\xCF\xB5\xCD\xB3"), std::string::npos) << "系统 in GBK";

    testing::RecordingMessenger messenger;
    StartSysInfo(platform::SystemServices(), messenger);
    EXPECT_EQ(messenger.messages, kNoMessage);
    ASSERT_TRUE(WaitForFile(MarkerOf(tool)));
    EXPECT_EQ(ReadFile(MarkerOf(tool)), Utf8(tool.wstring()));
}

// ------------------------------------------------------------ version record

std::wstring VersionText(const std::vector<BYTE>& record, const wchar_t* name) {
    void* text = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    if (!VerQueryValueW(record.data(), query.c_str(), &text, &length) || length == 0) {
        return L"(none)";
    }
    return static_cast<const wchar_t*>(text);
}

TEST(VersionRecord, NumbersAndTextsOfTheProgram) {
    const std::wstring program = StandIn().wstring();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> record(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, record.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u) << "1.0";
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u) << "0.0";
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(VersionText(record, L"FileVersion"), L"1.00");
    EXPECT_EQ(VersionText(record, L"ProductVersion"), L"1.00");
    EXPECT_EQ(VersionText(record, L"ProductName"), L"Quendal");
    EXPECT_EQ(VersionText(record, L"InternalName"), L"Quendal");
    EXPECT_EQ(VersionText(record, L"CompanyName"), L"Morvik");
}

TEST(VersionRecord, ProgramUsesTheGuiSubsystem) {
    const std::string image = ReadFile(StandIn());
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
    IMAGE_DOS_HEADER dos{};
    std::memcpy(&dos, image.data(), sizeof(dos));
    const auto offset = static_cast<std::size_t>(dos.e_lfanew);
    ASSERT_GE(image.size(), offset + sizeof(IMAGE_NT_HEADERS));
    IMAGE_NT_HEADERS headers{};
    std::memcpy(&headers, image.data() + offset, sizeof(headers));
    EXPECT_EQ(headers.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

}  // namespace
}  // namespace quendal
