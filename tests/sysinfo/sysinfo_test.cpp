// GetKeyValue and StartSysInfo against the in-memory key store, the listed
// files and the recording launcher.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "bytes.h"
#include "platform_doubles.h"
#include "recorders.h"
#include "sysinfo.h"

namespace quendal {
namespace {

using testing::Bytes;
using testing::ListedFiles;
using testing::MemoryKeyStore;
using testing::RecordingLauncher;
using testing::RecordingMessenger;
using Texts = std::vector<std::string>;

constexpr char kKey[] = "SOFTWARE\\Quendal\\Test";
constexpr char kValue[] = "Value";

// ---------------------------------------------------------------- GetKeyValue

struct StoredValue {
    std::uint32_t type;
    std::string bytes;
};

struct ReadCase {
    const char* name;
    std::optional<StoredValue> stored;  // nothing: the key exists without the value
    std::string entry;                  // KeyVal before the call
    bool ok;
    std::string text;
};

std::ostream& operator<<(std::ostream& out, const ReadCase& row) { return out << row.name; }

class GetKeyValueRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(GetKeyValueRead, GivesTheTextAndClosesTheKey) {
    const ReadCase& row = GetParam();
    MemoryKeyStore store;
    store.AddKey(kKey);
    if (row.stored) {
        store.SetValue(kKey, kValue, row.stored->type, row.stored->bytes);
    }
    std::string KeyVal = row.entry;

    const bool ok = GetKeyValue(store, platform::RootKey::LocalMachine, kKey, kValue, KeyVal);

    EXPECT_EQ(ok, row.ok);
    EXPECT_EQ(KeyVal, row.text) << "size " << KeyVal.size() << ", expected " << row.text.size();
    // One query, into a clear buffer of 1024 bytes, and the key closed again.
    ASSERT_EQ(store.queries.size(), 1u);
    EXPECT_EQ(store.queries[0].valueName, kValue);
    EXPECT_EQ(store.queries[0].size, 1024u);
    EXPECT_TRUE(store.queries[0].bufferWasClear);
    EXPECT_EQ(store.closes.size(), 1u);
    EXPECT_TRUE(store.badCloses.empty());
    EXPECT_EQ(store.OpenKeys(), 0u);
}

const std::string kPath = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe";

INSTANTIATE_TEST_SUITE_P(
    Values, GetKeyValueRead,
    ::testing::Values(
        ReadCase{"StringWithItsNul", StoredValue{1, kPath + '\0'}, "", true, kPath},
        ReadCase{"StringWithoutNul", StoredValue{1, kPath}, "", true, kPath},
        ReadCase{"StringReplacesTheEntryText", StoredValue{1, "abc"}, "old", true, "abc"},
        ReadCase{"EmptyStringOfZeroBytes", StoredValue{1, ""}, "old", true, ""},
        ReadCase{"EmptyStringOfOneNul", StoredValue{1, std::string(1, '\0')}, "old", true, ""},
        ReadCase{"OnlyTheLastNulIsDropped", StoredValue{1, std::string("ab\0\0", 4)}, "", true,
                 std::string("ab\0", 3)},
        ReadCase{"StringFillingTheBufferWithNul", StoredValue{1, std::string(1023, 'x') + '\0'}, "",
                 true, std::string(1023, 'x')},
        ReadCase{"StringFillingTheBufferWithoutNul", StoredValue{1, std::string(1024, 'x')}, "",
                 true, std::string(1024, 'x')},
        ReadCase{"StringOneByteTooLong", StoredValue{1, std::string(1024, 'x') + '\0'}, "old",
                 false, ""},
        ReadCase{"StringFarTooLong", StoredValue{1, std::string(5000, 'x')}, "old", false, ""},
        ReadCase{"NumberWithBytesBelow0x10", StoredValue{4, Bytes({0x05, 0x01, 0x00, 0x00})}, "",
                 true, "261"},
        ReadCase{"NumberZero", StoredValue{4, Bytes({0, 0, 0, 0})}, "", true, "0"},
        ReadCase{"NumberHighestByteSet", StoredValue{4, Bytes({0x78, 0x56, 0x34, 0x12})}, "", true,
                 "305419896"},
        ReadCase{"NumberAboveTheSignedRange", StoredValue{4, Bytes({0xFF, 0xFF, 0xFF, 0xFF})}, "",
                 true, "4294967295"},
        ReadCase{"NumberReplacesTheEntryText", StoredValue{4, Bytes({0x2A, 0, 0, 0})}, "7", true,
                 "42"},
        ReadCase{"NumberOfThreeBytes", StoredValue{4, Bytes({0x05, 0x01, 0x00})}, "old", false, ""},
        ReadCase{"NumberOfZeroBytes", StoredValue{4, ""}, "old", false, ""},
        ReadCase{"ExpandableStringLeavesTheEntryText",
                 StoredValue{2, std::string("%SystemRoot%") + '\0'}, "entry", true, "entry"},
        ReadCase{"BinaryLeavesTheEntryText", StoredValue{3, Bytes({1, 2, 3})}, "entry", true,
                 "entry"},
        ReadCase{"MissingValue", std::nullopt, "old", false, ""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(GetKeyValue, MissingKeyIsUnreadableAndLeavesNothingToClose) {
    MemoryKeyStore store;
    std::string KeyVal = "old";
    EXPECT_FALSE(GetKeyValue(store, platform::RootKey::LocalMachine, kKey, kValue, KeyVal));
    EXPECT_EQ(KeyVal, "");
    EXPECT_TRUE(store.queries.empty());
    EXPECT_TRUE(store.closes.empty());
}

TEST(GetKeyValue, OpensTheNamedKeyReadOnly) {
    MemoryKeyStore store;
    store.SetString(kKey, kValue, "x");
    std::string KeyVal;
    ASSERT_TRUE(GetKeyValue(store, platform::RootKey::LocalMachine, kKey, kValue, KeyVal));
    ASSERT_EQ(store.opens.size(), 1u);
    EXPECT_EQ(store.opens[0].path, kKey);
    EXPECT_EQ(store.opens[0].options, 0u);
    // KEY_READ, not 0x2003F with its write rights, which a standard user is refused.
    EXPECT_EQ(store.opens[0].accessMask, 0x20019u);
}

// --------------------------------------------------------------- StartSysInfo

const std::string kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string kFolder = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo";
const std::string kInFolder = kFolder + "\\MSINFO32.EXE";
const std::string kUnavailable = "此时系统信息不可用";

struct StartCase {
    const char* name = "";
    std::optional<StoredValue> location1 = {};  // value "PATH" of kToolKey
    std::optional<StoredValue> location2 = {};  // value "MSINFO" of kFolderKey
    Texts files = {};                           // existing files
    Texts programs = {};                        // paths that start
    Texts probes = {};                          // files tested, in order
    Texts launches = {};                        // starts tried, in order
    Texts messages = {};
};

std::ostream& operator<<(std::ostream& out, const StartCase& row) { return out << row.name; }

StoredValue String(const std::string& text) { return {1, text + '\0'}; }

void ExpectStartSysInfo(const StartCase& row) {
    MemoryKeyStore keys;
    ListedFiles files;
    RecordingLauncher launcher;
    RecordingMessenger messenger;
    if (row.location1) {
        keys.SetValue(kToolKey, "PATH", row.location1->type, row.location1->bytes);
    }
    if (row.location2) {
        keys.SetValue(kFolderKey, "MSINFO", row.location2->type, row.location2->bytes);
    }
    files.files.insert(row.files.begin(), row.files.end());
    launcher.programs.insert(row.programs.begin(), row.programs.end());
    platform::Services services{keys, files, launcher};

    StartSysInfo(services, messenger);

    EXPECT_EQ(files.probes, row.probes);
    EXPECT_EQ(launcher.attempts, row.launches);
    EXPECT_EQ(messenger.messages, row.messages);
    // A tool the registry records is the only one: no desktop entry is tried.
    if (!row.launches.empty()) {
        EXPECT_EQ(launcher.entryAttempts, Texts{});
    }
    // Every key opened was closed once, and nothing else was closed.
    EXPECT_TRUE(keys.badCloses.empty());
    EXPECT_EQ(keys.OpenKeys(), 0u);
}

class StartSysInfoRun : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartSysInfoRun, LaunchesOrShowsTheOneMessage) { ExpectStartSysInfo(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Locations, StartSysInfoRun,
    ::testing::Values(StartCase{.name = "RecordedPathLaunchedWithoutExistenceTest",
                                .location1 = String(kPath),
                                .programs = {kPath},
                                .launches = {kPath}},
                      StartCase{.name = "RecordedPathWinsOverTheFolder",
                                .location1 = String(kPath),
                                .location2 = String(kFolder),
                                .files = {kInFolder},
                                .programs = {kPath, kInFolder},
                                .launches = {kPath}},
                      StartCase{.name = "FolderHoldingTheTool",
                                .location2 = String(kFolder),
                                .files = {kInFolder},
                                .programs = {kInFolder},
                                .probes = {kInFolder},
                                .launches = {kInFolder}},
                      StartCase{.name = "FolderStoredWithoutNul",
                                .location2 = StoredValue{1, kFolder},
                                .files = {kInFolder},
                                .programs = {kInFolder},
                                .probes = {kInFolder},
                                .launches = {kInFolder}},
                      StartCase{.name = "FolderWithoutTheTool",
                                .location2 = String(kFolder),
                                .programs = {kInFolder},
                                .probes = {kInFolder},
                                .messages = {kUnavailable}},
                      StartCase{.name = "NeitherLocation", .messages = {kUnavailable}},
                      StartCase{.name = "RecordedPathThatDoesNotStart",
                                .location1 = String(kPath),
                                .files = {kPath},
                                .launches = {kPath},
                                .messages = {kUnavailable}},
                      StartCase{.name = "ToolInFolderThatDoesNotStart",
                                .location2 = String(kFolder),
                                .files = {kInFolder},
                                .probes = {kInFolder},
                                .launches = {kInFolder},
                                .messages = {kUnavailable}},
                      StartCase{.name = "RecordedPathTooLongFallsBackToTheFolder",
                                .location1 = StoredValue{1, std::string(1100, 'x')},
                                .location2 = String(kFolder),
                                .files = {kInFolder},
                                .programs = {kInFolder},
                                .probes = {kInFolder},
                                .launches = {kInFolder}}),
    [](const auto& row) { return std::string(row.param.name); });

// A value as GetKeyValue reads it, at either location. Only an absolute path
// counts: Windows resolves any other against the current folder or drive, so
// a program planted there must never be tested for or started.
struct RecordedValue {
    const char* name;
    StoredValue stored;
    std::string text;  // as GetKeyValue gives it
    bool absolute;
};

std::ostream& operator<<(std::ostream& out, const RecordedValue& row) { return out << row.name; }

RecordedValue StringValue(const char* name, const std::string& text, bool absolute) {
    return {name, String(text), text, absolute};
}

class StartSysInfoValue : public ::testing::TestWithParam<RecordedValue> {};

TEST_P(StartSysInfoValue, CountsOnlyAsAnAbsolutePath) {
    const RecordedValue& row = GetParam();
    const std::string planted = row.text + "\\MSINFO32.EXE";
    {
        SCOPED_TRACE("as the recorded path, beside a folder holding the tool");
        const Texts started = row.absolute ? Texts{row.text} : Texts{kInFolder};
        ExpectStartSysInfo({.location1 = row.stored,
                            .location2 = String(kFolder),
                            .files = {row.text, kInFolder},
                            .programs = {row.text, kInFolder},
                            .probes = row.absolute ? Texts{} : Texts{kInFolder},
                            .launches = started});
    }
    {
        SCOPED_TRACE("as the folder");
        const Texts plantedIfAbsolute = row.absolute ? Texts{planted} : Texts{};
        ExpectStartSysInfo({.location2 = row.stored,
                            .files = {planted},
                            .programs = {planted},
                            .probes = plantedIfAbsolute,
                            .launches = plantedIfAbsolute,
                            .messages = row.absolute ? Texts{} : Texts{kUnavailable}});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StartSysInfoValue,
    ::testing::Values(StringValue("Empty", "", false),
                      RecordedValue{"Number", StoredValue{4, Bytes({5, 0, 0, 0})}, "5", false},
                      // GetKeyValue leaves the text as it was: empty.
                      RecordedValue{"ExpandableString", StoredValue{2, kPath + '\0'}, "", false},
                      StringValue("RelativeToTheCurrentFolder", "MSInfo\\Tools", false),
                      StringValue("RootRelative", "\\Tools\\MSInfo", false),
                      StringValue("RootRelativeWithSlash", "/Tools/MSInfo", false),
                      StringValue("DriveRelative", "C:Tools\\MSInfo", false),
                      StringValue("BareDrive", "C:", false),
                      StringValue("TwoBackslashesWithoutServer", "\\\\", false),
                      StringValue("LeadingBlank", " C:\\Tools", false),
                      StringValue("DriveAbsolute", kFolder, true),
                      StringValue("LowerCaseDrive", "c:\\tools", true),
                      StringValue("DriveAbsoluteWithSlash", "C:/Tools", true),
                      StringValue("Unc", "\\\\server\\share\\MSInfo", true),
                      StringValue("UncWithSlashes", "//server/share/MSInfo", true)),
    [](const auto& row) { return std::string(row.param.name); });

TEST(StartSysInfo, LooksOnlyAtTheTwoRecordedLocations) {
    MemoryKeyStore keys;
    ListedFiles files;
    RecordingLauncher launcher;
    RecordingMessenger messenger;
    platform::Services services{keys, files, launcher};
    StartSysInfo(services, messenger);
    ASSERT_EQ(keys.opens.size(), 2u);
    EXPECT_EQ(keys.opens[0].path, kToolKey);
    EXPECT_EQ(keys.opens[1].path, kFolderKey);
}

TEST(StartSysInfo, ValueNamesOfTheTwoLocations) {
    MemoryKeyStore keys;
    keys.AddKey(kToolKey);
    keys.AddKey(kFolderKey);
    ListedFiles files;
    RecordingLauncher launcher;
    RecordingMessenger messenger;
    platform::Services services{keys, files, launcher};
    StartSysInfo(services, messenger);
    ASSERT_EQ(keys.queries.size(), 2u);
    EXPECT_EQ(keys.queries[0].valueName, "PATH");
    EXPECT_EQ(keys.queries[1].valueName, "MSINFO");
    EXPECT_EQ(keys.closes.size(), 2u);
    EXPECT_EQ(messenger.messages, Texts{kUnavailable});
}

// Without a recorded tool (Linux), the desktop's own tool before HardInfo,
// KDE's before GNOME's; nothing after the one that started.
TEST(StartSysInfo, WithoutARecordedToolStartsTheDesktopsOwnTool) {
    MemoryKeyStore keys;
    ListedFiles files;
    RecordingMessenger messenger;
    for (const Texts& installed :
         {Texts{"hardinfo.desktop", "gnome-info-overview-panel.desktop"},
          Texts{"hardinfo2.desktop", "org.kde.kinfocenter.desktop", "gnome-about-panel.desktop"}}) {
        RecordingLauncher launcher;
        launcher.entries.insert(installed.begin(), installed.end());
        platform::Services services{keys, files, launcher};
        StartSysInfo(services, messenger);
        ASSERT_FALSE(launcher.entryAttempts.empty());
        EXPECT_EQ(launcher.entryAttempts.back(), installed[1]);
        for (const std::string& tried : launcher.entryAttempts) EXPECT_NE(tried, installed[0]);
        EXPECT_EQ(launcher.attempts, Texts{});
    }
    EXPECT_EQ(messenger.messages, Texts{});
}

TEST(StartSysInfo, NoDesktopToolInstalledEndsInTheMessage) {
    MemoryKeyStore keys;
    ListedFiles files;
    RecordingLauncher launcher;
    launcher.entries = {"org.gnome.Settings.desktop", "kinfocenter.desktop"};
    RecordingMessenger messenger;
    platform::Services services{keys, files, launcher};
    StartSysInfo(services, messenger);
    EXPECT_FALSE(launcher.entryAttempts.empty());
    EXPECT_EQ(messenger.messages, Texts{kUnavailable});
}

TEST(StartSysInfo, AnErrorWhileStartingEndsInTheMessage) {
    MemoryKeyStore keys;
    keys.SetString(kToolKey, "PATH", kPath);
    ListedFiles files;
    RecordingLauncher launcher;
    launcher.throws = true;
    RecordingMessenger messenger;
    platform::Services services{keys, files, launcher};
    StartSysInfo(services, messenger);
    EXPECT_EQ(launcher.attempts, Texts{kPath});
    EXPECT_EQ(messenger.messages, Texts{kUnavailable});
    EXPECT_EQ(keys.OpenKeys(), 0u);
}

}  // namespace
}  // namespace quendal
