// The portable platform services, on the real file system and process table.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "markerfile.h"
#include "platform.h"
#include "recorders.h"
#include "sysinfo.h"
#include "tempfolder.h"

namespace quendal {
namespace {

using quendal::testing::ReadFile;
using quendal::testing::TempFolder;
using quendal::testing::WaitForFile;

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& content, fs::perms permissions) {
    std::ofstream(path) << content;
    fs::permissions(path, permissions);
}

constexpr auto kExecutable = fs::perms::owner_all;
constexpr auto kReadWrite = fs::perms::owner_read | fs::perms::owner_write;

// Desktop entries of this test's own, the only ones it can see: GLib reads
// XDG_DATA_HOME and XDG_DATA_DIRS once, at its first look-up, so they are set
// before any test runs. A stand-in program leaves a marker with its argument.
class DesktopEntries : public ::testing::Environment {
public:
    void SetUp() override {
        m_folder = std::make_unique<TempFolder>();
        const fs::path applications = m_folder->Path() / "share" / "applications";
        fs::create_directories(applications);
        const fs::path standIn = m_folder->Path() / "stand-in";
        WriteFile(standIn, "#!/bin/sh\nprintf '%s' \"$1\" > \"$1.part\" && mv \"$1.part\" \"$1\"\n",
                  kExecutable);
        const auto entry = [&](const std::string& id, const std::string& lines) {
            WriteFile(applications / id,
                      "[Desktop Entry]\nType=Application\nName=" + id + "\n" + lines, kReadWrite);
        };
        entry("quendal-tool.desktop",
              "Exec=" + standIn.string() + " " + Marker("tool").string() + "\n");
        entry("quendal-hidden.desktop",
              "Hidden=true\nExec=" + standIn.string() + " " + Marker("hidden").string() + "\n");
        entry("quendal-tryexec.desktop", "TryExec=" + (m_folder->Path() / "missing").string() +
                                             "\nExec=" + standIn.string() + " " +
                                             Marker("tryexec").string() + "\n");
        entry("quendal-missing-program.desktop",
              "Exec=" + (m_folder->Path() / "missing").string() + "\n");
        setenv("XDG_DATA_HOME", (m_folder->Path() / "home").c_str(), 1);
        setenv("XDG_DATA_DIRS", (m_folder->Path() / "share").c_str(), 1);
    }
    void TearDown() override { m_folder.reset(); }

    static fs::path Marker(const std::string& name) {
        return fs::temp_directory_path() /
               ("quendal-entry-" + std::to_string(getpid()) + "-" + name);
    }

private:
    std::unique_ptr<TempFolder> m_folder;
};

::testing::Environment* const kDesktopEntries =
    ::testing::AddGlobalTestEnvironment(new DesktopEntries);

TEST(PortableLauncher, StartsAnInstalledDesktopEntryAsItSays) {
    const fs::path marker = DesktopEntries::Marker("tool");
    ASSERT_TRUE(platform::SystemServices().launcher.LaunchDesktopEntry("quendal-tool.desktop"));
    ASSERT_TRUE(WaitForFile(marker));
    EXPECT_EQ(ReadFile(marker), marker.string());
    fs::remove(marker);
}

TEST(PortableLauncher, StartsNoDesktopEntryThatIsMissingHiddenOrCannotRun) {
    platform::ProgramLauncher& launcher = platform::SystemServices().launcher;
    for (const char* id :
         {"quendal-none.desktop", "quendal-hidden.desktop", "quendal-tryexec.desktop",
          "quendal-missing-program.desktop", "", "../share/applications/quendal-tool.desktop"}) {
        EXPECT_FALSE(launcher.LaunchDesktopEntry(id)) << id;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (const char* name : {"hidden", "tryexec"})
        EXPECT_FALSE(fs::exists(DesktopEntries::Marker(name))) << name;
}

TEST(PortableFileProbe, OnlyANormalFileExists) {
    TempFolder temp;
    const fs::path file = temp.Path() / "MSINFO32.EXE";
    WriteFile(file, "x", kReadWrite);
    fs::create_directory(temp.Path() / "folder");
    platform::FileProbe& probe = platform::SystemServices().files;

    EXPECT_TRUE(probe.FileExists(file.string()));
    EXPECT_FALSE(probe.FileExists((temp.Path() / "folder").string()));
    EXPECT_FALSE(probe.FileExists((temp.Path() / "missing").string()));
    EXPECT_FALSE(probe.FileExists(""));
}

TEST(PortableLauncher, StartsAPathWithSpacesAndShellCharactersAsItself) {
    TempFolder temp;
    const fs::path marker = temp.Path() / "marker";
    // A shell would split this name at the blank and the ";" and run "$(x)".
    const fs::path program = temp.Path() / "a b;$(x) `y` 'z' & c.sh";
    WriteFile(program,
              "#!/bin/sh\n"
              "printf '%s' \"$0\" > '" +
                  marker.string() +
                  ".part'\n"
                  "mv '" +
                  marker.string() + ".part' '" + marker.string() + "'\n",
              kExecutable);

    ASSERT_TRUE(platform::SystemServices().launcher.Launch(program.string()));
    ASSERT_TRUE(WaitForFile(marker));
    EXPECT_EQ(ReadFile(marker), program.string());
}

struct FailedLaunch {
    const char* name;
    const char* file;  // under a fresh temporary folder
    enum { Missing, NotExecutable, Folder, NotAProgram } kind;
};

std::ostream& operator<<(std::ostream& out, const FailedLaunch& row) { return out << row.name; }

class PortableLauncherFails : public ::testing::TestWithParam<FailedLaunch> {};

TEST_P(PortableLauncherFails, Cleanly) {
    const FailedLaunch& row = GetParam();
    TempFolder temp;
    const fs::path path = temp.Path() / row.file;
    switch (row.kind) {
        case FailedLaunch::Missing:
            break;
        case FailedLaunch::NotExecutable:
            WriteFile(path, "#!/bin/sh\ntouch \"$0.ran\"\n", kReadWrite);
            break;
        case FailedLaunch::Folder:
            fs::create_directory(path);
            break;
        case FailedLaunch::NotAProgram:
            // Executable but neither a binary nor a script: only a shell would run it.
            WriteFile(path, "touch \"$0.ran\"\n", kExecutable);
            break;
    }
    EXPECT_FALSE(platform::SystemServices().launcher.Launch(path.string()));
}

INSTANTIATE_TEST_SUITE_P(Paths, PortableLauncherFails,
                         ::testing::Values(FailedLaunch{"MissingFile", "MSINFO32.EXE",
                                                        FailedLaunch::Missing},
                                           FailedLaunch{"FileWithoutExecuteRight", "tool.sh",
                                                        FailedLaunch::NotExecutable},
                                           FailedLaunch{"Folder", "tool", FailedLaunch::Folder},
                                           FailedLaunch{"ExecutableTextWithoutInterpreter", "tool",
                                                        FailedLaunch::NotAProgram}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(PortableLauncher, EmptyPathFails) {
    EXPECT_FALSE(platform::SystemServices().launcher.Launch(""));
}

TEST(PortableKeyStore, FindsNoKey) {
    platform::KeyStore& keys = platform::SystemServices().keys;
    for (const char* path : {sysinfo::ToolPathKey, sysinfo::ToolFolderKey}) {
        platform::KeyHandle handle = 0;
        EXPECT_NE(
            keys.OpenKey(platform::RootKey::LocalMachine, path, 0, platform::kKeyRead, handle),
            platform::kSuccess)
            << path;
    }
}

// No key, and none of the desktop's tools among this test's entries.
TEST(PortableSystemInfo, ButtonEndsInTheMessage) {
    testing::RecordingMessenger messenger;
    StartSysInfo(platform::SystemServices(), messenger);
    EXPECT_EQ(messenger.messages, std::vector<std::string>{"此时系统信息不可用"});
}

}  // namespace
}  // namespace quendal
