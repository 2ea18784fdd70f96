// The About dialog of the real quendal.exe, opened from the menu item 说明 and
// driven from outside: its texts, its ways of closing, one dialog at a time,
// and the System Information button with and without the registry's record.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <oleacc.h>

#include "driver.h"
#include "registryguard.h"
#include "tempfolder.h"

namespace quendal::testing {
namespace {

using Texts = std::vector<std::string>;

HWND OpenAbout(const Program& program) {
    program.ChooseMenuItem("sm");
    WaitUntil([&] { return program.About() != nullptr && program.FocusName() == "cmdOK"; });
    return program.About();
}

TEST(AboutTexts, CaptionTitleVersionDescriptionAndButtons) {
    const Program program;
    const HWND about = OpenAbout(program);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), "关于 Quendal");
    const std::vector<std::pair<const char*, std::string>> expected = {
        {"lblTitle", "Quendal"},
        {"lblVersion", "版本 1.0.0"},
        {"lblDisclaimer", "警告: ..."},
        {"lblDescription",
         "输入电容计算电流,输入电流计算电容,泄放电阻R1要保证功率否则容易烧,也不能太大,"
         "要恰好能释放掉C1的电荷!例子是半波整流的 需要自己修改!阻容降压电路需要接入负载后在通电! "
         "犹豫阻容降压为非隔离电路 造成一切后果与此工具无关!"},
        {"cmdOK", "确定"},
        {"cmdSysInfo", "系统信息(&S)..."},
        {"picIcon", "Quendal"},
    };
    for (const auto& [name, text] : expected) {
        EXPECT_EQ(WindowText(program.AboutControl(name)), text) << name;
    }
}

TEST(AboutWindow, UnownedModelessFixedAndCentredOnTheMainWindow) {
    const Program program;
    const HWND about = OpenAbout(program);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetWindow(about, GW_OWNER), nullptr);
    const LONG_PTR style = GetWindowLongPtrW(about, GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(style & WS_SYSMENU, 0) << "the close box";
    EXPECT_NE(GetWindowLongPtrW(about, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);

    RECT dialog{};
    RECT main{};
    GetWindowRect(about, &dialog);
    GetWindowRect(program.Form1(), &main);
    const LONG dx = (dialog.left + dialog.right) / 2 - (main.left + main.right) / 2;
    const LONG dy = (dialog.top + dialog.bottom) / 2 - (main.top + main.bottom) / 2;
    EXPECT_LE(std::abs(dx) + std::abs(dy), 2) << dx << "," << dy;

    // The main window goes on working beside it.
    EXPECT_TRUE(IsWindowEnabled(program.Form1()));
    program.SetText("txtC1", "1");
    EXPECT_EQ(program.MessagesOf(program.Control("Command2")), Texts{});
    EXPECT_EQ(program.Text("txtCurrent"), "69.12");
}

// A dialog to the system: the dialog manager's window, whose role Windows'
// oleacc gives as "dialog", so that Narrator and NVDA read its text when it
// opens. (Wine's oleacc answers "client" for any window; docs/windows.md.)
TEST(AboutWindow, IsADialogToScreenReaders) {
    const Program program;
    const HWND about = OpenAbout(program);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ClassOf(about), "#32770");
    wchar_t real[64] = {};
    RealGetWindowClassW(about, real, 64);
    EXPECT_EQ(std::wstring(real), L"#32770");
    EXPECT_EQ(AccessibleOf(about, OBJID_CLIENT).name, "关于 Quendal");
}

// What IsDialogMessage asks the dialog when Enter is pressed, and how the
// button looks: cmdOK is the default button; Form1 has none.
TEST(AboutWindow, OkIsTheDefaultButton) {
    const Program program;
    const HWND about = OpenAbout(program);
    ASSERT_NE(about, nullptr);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(about, DM_GETDEFID, 0, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_EQ(HIWORD(answer), DC_HASDEFID);
    EXPECT_EQ(static_cast<HWND>(GetDlgItem(about, LOWORD(answer))), program.AboutControl("cmdOK"));
    EXPECT_EQ(GetWindowLongPtrW(program.AboutControl("cmdOK"), GWL_STYLE) & BS_TYPEMASK,
              BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongPtrW(program.AboutControl("cmdSysInfo"), GWL_STYLE) & BS_TYPEMASK,
              BS_PUSHBUTTON);

    answer = 0;
    SendMessageTimeoutW(program.Form1(), DM_GETDEFID, 0, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_NE(HIWORD(answer), DC_HASDEFID) << "Form1 has no default button";
}

struct Closing {
    const char* name;
    void (*close)(const Program&, HWND about);
};

std::ostream& operator<<(std::ostream& out, const Closing& row) { return out << row.name; }

class AboutClosing : public ::testing::TestWithParam<Closing> {};

TEST_P(AboutClosing, UnloadsTheDialogAndLeavesTheMainWindow) {
    const Program program;
    const HWND about = OpenAbout(program);
    ASSERT_NE(about, nullptr);
    ASSERT_EQ(program.FocusName(), "cmdOK");
    GetParam().close(program, about);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); })) << "still there, or only hidden";
    EXPECT_TRUE(IsWindowVisible(program.Form1()));
    EXPECT_EQ(program.WaitForMessageBox(200ms), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    AboutWindow, AboutClosing,
    ::testing::Values(
        Closing{"OkButton",
                [](const Program& program, HWND) { program.Click(program.AboutControl("cmdOK")); }},
        Closing{"EnterKey", [](const Program&, HWND) { PressKey(VK_RETURN); }},
        Closing{"EscapeKey", [](const Program&, HWND) { PressKey(VK_ESCAPE); }},
        Closing{"CloseBox", [](const Program&,
                               HWND about) { PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const auto& row) { return std::string(row.param.name); });

// A message box of the main window runs a loop of its own; the About dialog
// beside it, still enabled, must still take its keys there: Esc closes it.
TEST(AboutWindow, TakesItsKeysWhileTheMainWindowsMessageIsOpen) {
    const Program program;
    const HWND about = OpenAbout(program);
    ASSERT_NE(about, nullptr);
    // txtC1 is empty: 计算电流 says so in a box.
    const PendingClick click(program.Control("Command2"));
    const HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    SetForegroundWindow(about);
    EXPECT_TRUE(WaitUntil([&] { return program.FocusName() == "cmdOK"; }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); })) << "Esc did not reach the dialog";
    EXPECT_TRUE(IsWindow(box));
    Dismiss(box);
    EXPECT_TRUE(WaitUntil([&] { return click.Finished(); }));
}

TEST(AboutWindow, AboutTwiceGivesOneDialogAndReopeningLoadsItAfresh) {
    const Program program;
    const HWND first = OpenAbout(program);
    ASSERT_NE(first, nullptr);
    program.ChooseMenuItem("sm");
    Sleep(300);
    EXPECT_EQ(program.AboutDialogs(), std::vector<HWND>{first});

    PostMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(first); }));
    const HWND second = OpenAbout(program);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(WindowText(second), "关于 Quendal");
    EXPECT_EQ(WindowText(program.AboutControl("lblVersion")), "版本 1.0.0");
}

// The registry as System Information records itself, both locations absent
// unless a test writes them.
class SystemInformation : public ::testing::Test {
protected:
    RegistryValue m_path{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH"};
    RegistryValue m_folder{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location",
                           L"MSINFO"};
    void SetUp() override {
        m_path.Remove();
        m_folder.Remove();
    }
};

// How the user presses the button: a click, its access key, or Enter with
// the focus on it (Tab from 确定): Enter presses the focused button, not the
// default one.
struct Press {
    const char* name;
    std::vector<std::pair<WORD, bool>> keys;  // key, with Alt; none: a click
};

std::ostream& operator<<(std::ostream& out, const Press& row) { return out << row.name; }

class SystemInformationAbsent : public SystemInformation,
                                public ::testing::WithParamInterface<Press> {};

TEST_P(SystemInformationAbsent, SaysItIsUnavailableInABoxOwnedByTheDialog) {
    const Program program;
    const HWND about = OpenAbout(program);
    ASSERT_NE(about, nullptr);
    std::vector<SeenMessageBox> boxes;
    if (!GetParam().keys.empty()) {
        for (const auto& [key, alt] : GetParam().keys) PressKey(key, alt);
        const HWND box = program.WaitForMessageBox();
        ASSERT_NE(box, nullptr) << "the keys pressed nothing";
        Sleep(20);
        boxes.push_back(ReadMessageBox(box));
        Dismiss(box);
    } else {
        boxes = program.Click(program.AboutControl("cmdSysInfo"));
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "此时系统信息不可用");
    EXPECT_EQ(boxes[0].caption, "Quendal");
    EXPECT_EQ(boxes[0].buttons, Texts{"确定"});
    EXPECT_FALSE(boxes[0].icon);
    EXPECT_EQ(boxes[0].owner, about);
    EXPECT_TRUE(IsWindowVisible(about));
}

INSTANTIATE_TEST_SUITE_P(AboutWindow, SystemInformationAbsent,
                         ::testing::Values(Press{"Click", {}}, Press{"AltS", {{'S', true}}},
                                           Press{"EnterOnTheFocusedButton",
                                                 {{VK_TAB, false}, {VK_RETURN, false}}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(SystemInformation, StartsTheRecordedProgram) {
    const TempFolder folder;
    const std::filesystem::path tool = folder.Path() / L"MSINFO32.EXE";
    std::filesystem::copy_file(kStandInPath, tool);
    m_path.SetString(tool.wstring());

    const Program program;
    ASSERT_NE(OpenAbout(program), nullptr);
    EXPECT_EQ(program.MessagesOf(program.AboutControl("cmdSysInfo")), Texts{});
    std::filesystem::path marker = tool;
    marker += L".ran";
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(marker); }, 15s))
        << "the stand-in never ran";
}

TEST_F(SystemInformation, ExitWhileItsMessageIsOpenEndsTheProgramCleanly) {
    const Program program;
    const HWND about = OpenAbout(program);
    ASSERT_NE(about, nullptr);
    PostMessageW(program.AboutControl("cmdSysInfo"), BM_CLICK, 0, 0);
    const HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), about);
    // The main window is not blocked by the dialog's box: 退出 reaches it.
    EXPECT_TRUE(IsWindowEnabled(program.Form1()));
    program.ChooseMenuItem("ex");
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace
}  // namespace quendal::testing
