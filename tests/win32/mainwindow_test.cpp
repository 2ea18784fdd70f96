// Form1 of the real quendal.exe, driven from outside as a user drives it:
// typing, clicking, keys, message boxes, the menu bar and the close box.

#include <gtest/gtest.h>

#include <iostream>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <oleacc.h>
#include <wrl/client.h>

#include "driver.h"

namespace quendal::testing {
namespace {

using Texts = std::vector<std::string>;
using Fields = std::vector<std::pair<std::string, std::string>>;

TEST(Form1Start, OpensWithTheDefaultsAndTheFocusInTheVoltage) {
    const Program program;
    ASSERT_NE(program.Form1(), nullptr) << "the main window never showed";
    EXPECT_EQ(WindowText(program.Form1()), "Quendal by Morvik");
    const Fields expected = {
        {"txtVolt", "220"}, {"txtF", "50"}, {"txtC1", ""}, {"txtCurrent", ""}, {"lblT", ""}};
    for (const auto& [name, text] : expected) EXPECT_EQ(program.Text(name), text) << name;
    EXPECT_EQ(program.FocusName(), "txtVolt");
}

// One calculation: what the user types, which button, what the message boxes
// say, and what the fields show afterwards.
struct Calculation {
    const char* name;
    Fields typed;
    const char* button;
    Texts messages;
    Fields after;
};

std::ostream& operator<<(std::ostream& out, const Calculation& row) { return out << row.name; }

class Calculations : public ::testing::TestWithParam<Calculation> {};

TEST_P(Calculations, ShowTheirResultsAndMessages) {
    const Calculation& row = GetParam();
    const Program program;
    for (const auto& [name, text] : row.typed) program.SetText(name, text);
    EXPECT_EQ(program.MessagesOf(program.Control(row.button)), row.messages);
    for (const auto& [name, text] : row.after) EXPECT_EQ(program.Text(name), text) << name;
}

constexpr char kReport1uF[] = "容抗3.1831 K欧\r\n电流:69.12 mA";

INSTANTIATE_TEST_SUITE_P(
    Form1, Calculations,
    ::testing::Values(
        Calculation{"CurrentOf1uF",
                    {{"txtC1", "1"}},
                    "Command2",
                    {},
                    {{"txtCurrent", "69.12"}, {"lblT", kReport1uF}}},
        Calculation{"CapacitanceFor100mA",
                    {{"txtCurrent", "100"}},
                    "Command1",
                    {},
                    {{"txtC1", "1.45"}, {"lblT", "容抗2.2 K欧\r\n电流:100. mA"}}},
        Calculation{"CurrentAt60Hz",
                    {{"txtF", "60"}, {"txtC1", "1"}},
                    "Command2",
                    {},
                    {{"txtCurrent", "82.94"}, {"lblT", "容抗2.6526 K欧\r\n电流:82.94 mA"}}},
        Calculation{"BlanksAroundANumber",
                    {{"txtC1", "  1 "}},
                    "Command2",
                    {},
                    {{"txtCurrent", "69.12"}, {"txtC1", "  1 "}}},
        Calculation{
            "NegativeCapacitance", {{"txtC1", "-1"}}, "Command2", {}, {{"txtCurrent", "-69.12"}}},
        Calculation{"ThreeEmptyInputsThreeMessagesInOrder",
                    {{"txtVolt", ""}, {"txtF", ""}},
                    "Command1",
                    {"请输出电压!", "请输出交流频率!", "请输电流大小,单位mA"},
                    {{"txtC1", ""}, {"lblT", ""}}},
        Calculation{"MissingCapacitance",
                    {},
                    "Command2",
                    {"请输出C1大小,单位uF"},
                    {{"txtCurrent", ""}, {"lblT", ""}}},
        Calculation{"TextsThatAreNotNumbers",
                    {{"txtVolt", "abc"}, {"txtF", "12abc"}, {"txtC1", "1.2.3"}},
                    "Command2",
                    {"请输出电压!", "请输出交流频率!", "请输出C1大小,单位uF"},
                    {{"txtVolt", "abc"}, {"txtCurrent", ""}}},
        Calculation{"ZeroStopsWithoutAMessage",
                    {{"txtCurrent", "0"}},
                    "Command1",
                    {},
                    {{"txtC1", ""}, {"lblT", ""}}},
        Calculation{"OverflowIsReportedAndNothingWritten",
                    {{"txtF", "1e300"}, {"txtC1", "1e300"}},
                    "Command2",
                    {"计算溢出"},
                    {{"txtCurrent", ""}, {"lblT", ""}}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Form1Messages, EachIsAnOwnedBoxCaptionedQuendalWithOneButtonAndNoIcon) {
    const Program program;
    program.SetText("txtVolt", "");
    program.SetText("txtF", "x");
    const auto boxes = program.Click(program.Control("Command1"));
    ASSERT_EQ(boxes.size(), 3u);
    for (const SeenMessageBox& box : boxes) {
        SCOPED_TRACE(box.text);
        EXPECT_EQ(box.caption, "Quendal");
        EXPECT_EQ(box.buttons, Texts{"确定"});
        EXPECT_FALSE(box.icon);
        EXPECT_EQ(box.owner, program.Form1());
    }
}

TEST(Form1Messages, AfterAnOverflowTheNextCalculationWorks) {
    const Program program;
    program.SetText("txtC1", "1");
    EXPECT_EQ(program.MessagesOf(program.Control("Command2")), Texts{});
    program.SetText("txtF", "1e300");
    program.SetText("txtC1", "1e300");
    EXPECT_EQ(program.MessagesOf(program.Control("Command2")), Texts{"计算溢出"});
    EXPECT_EQ(program.Text("txtCurrent"), "69.12");  // the earlier result stays
    EXPECT_EQ(program.Text("lblT"), kReport1uF);
    program.SetText("txtF", "50");
    program.SetText("txtC1", "2");
    EXPECT_EQ(program.MessagesOf(program.Control("Command2")), Texts{});
    EXPECT_EQ(program.Text("txtCurrent"), "138.23");
}

TEST(Form1Messages, AClickWhileAMessageIsOpenDoesNothing) {
    const Program program;
    // txtC1 and txtCurrent are empty: either button would show a message.
    const PendingClick click(program.Control("Command2"));
    const HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ReadMessageBox(box).text, "请输出C1大小,单位uF");
    EXPECT_FALSE(IsWindowEnabled(program.Form1())) << "the owner must be disabled";

    for (const char* button : {"Command1", "Command2"}) {
        PostMessageW(program.Control(button), BM_CLICK, 0, 0);
    }
    Sleep(300);
    EXPECT_EQ(program.MessageBoxes(), std::vector<HWND>{box});
    Dismiss(box);
    EXPECT_TRUE(WaitUntil([&] { return click.Finished(); }));
    EXPECT_EQ(program.WaitForMessageBox(500ms), nullptr) << "a second calculation ran";
    EXPECT_TRUE(IsWindowEnabled(program.Form1()));
}

// Keys go to the focused control through the system's input queue.
void PressAndWaitForFocus(const Program& program, WORD key, bool shift = false) {
    const HWND before = program.Focus();
    PressKey(key, false, shift);
    WaitUntil([&] { return program.Focus() != before; }, 3s);
}

TEST(Form1Keyboard, TabVisitsTheControlsInOrder) {
    const Program program;
    ASSERT_EQ(program.FocusName(), "txtVolt");
    Texts visited;
    for (int i = 0; i < 7; ++i) {
        PressAndWaitForFocus(program, VK_TAB);
        visited.push_back(program.FocusName());
    }
    EXPECT_EQ(visited, (Texts{"txtF", "Picture1", "txtC1", "Command1", "Command2", "txtCurrent",
                              "txtVolt"}));
}

struct BoxKeys {
    const char* name;
    int tabs;  // from txtVolt
};

std::ostream& operator<<(std::ostream& out, const BoxKeys& row) { return out << row.name; }

class EnterAndEscape : public ::testing::TestWithParam<BoxKeys> {};

TEST_P(EnterAndEscape, InATextBoxDoNothing) {
    const Program program;
    program.SetText("txtCurrent", "100");
    program.SetText("txtC1", "1");
    for (int i = 0; i < GetParam().tabs; ++i) PressAndWaitForFocus(program, VK_TAB);
    ASSERT_EQ(program.FocusName(), GetParam().name);
    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    // Keys are taken in order: once Tab has moved the focus, Enter and Esc
    // have been handled.
    PressAndWaitForFocus(program, VK_TAB);
    EXPECT_NE(program.FocusName(), GetParam().name);
    EXPECT_EQ(program.WaitForMessageBox(300ms), nullptr);
    EXPECT_TRUE(IsWindowVisible(program.Form1()));
    const Fields unchanged = {{"txtC1", "1"}, {"txtCurrent", "100"}, {"lblT", ""}};
    for (const auto& [name, text] : unchanged) EXPECT_EQ(program.Text(name), text) << name;
}

INSTANTIATE_TEST_SUITE_P(Form1Keyboard, EnterAndEscape,
                         ::testing::Values(BoxKeys{"txtVolt", 0}, BoxKeys{"txtF", 1},
                                           BoxKeys{"txtC1", 3}, BoxKeys{"txtCurrent", 6}),
                         [](const auto& row) { return std::string(row.param.name); });

// The key, and whether the focus came to the button by a mouse click (the
// click's own calculation undone first) rather than by Tab.
class FocusedButton : public ::testing::TestWithParam<std::tuple<WORD, bool>> {};

// Space and Enter press the button that has the focus, however it got there.
TEST_P(FocusedButton, IsPressedByTheKey) {
    const auto [key, byMouse] = GetParam();
    const Program program;
    program.SetText("txtCurrent", "100");
    if (byMouse) {
        ClickWithMouse(program.Control("Command1"));
        ASSERT_TRUE(WaitUntil([&] { return program.Text("txtC1") == "1.45"; }));
        program.SetText("txtC1", "");
    } else {
        for (int i = 0; i < 4; ++i) PressAndWaitForFocus(program, VK_TAB);
    }
    ASSERT_EQ(program.FocusName(), "Command1");
    PressKey(key);
    EXPECT_TRUE(WaitUntil([&] { return program.Text("txtC1") == "1.45"; }))
        << program.Text("txtC1");
    EXPECT_EQ(program.Text("lblT"), "容抗2.2 K欧\r\n电流:100. mA");
}

INSTANTIATE_TEST_SUITE_P(Form1Keyboard, FocusedButton,
                         ::testing::Combine(::testing::Values(VK_SPACE, VK_RETURN),
                                            ::testing::Bool()),
                         [](const auto& row) {
                             return std::string(std::get<0>(row.param) == VK_SPACE ? "Space"
                                                                                   : "Enter") +
                                    (std::get<1>(row.param) ? "AfterAClick" : "AfterTab");
                         });

TEST(Form1Keyboard, F1OpensTheAboutDialog) {
    const Program program;
    PressKey(VK_F1);
    EXPECT_TRUE(WaitUntil([&] { return program.About() != nullptr; }));
}

TEST(Form1Keyboard, TextBoxesTakeTextBeyondTheUsualLimit) {
    const Program program;
    ASSERT_EQ(program.FocusName(), "txtVolt");
    // Beyond both Windows' default of 32767 characters and Wine's 30000.
    program.SetText("txtVolt", std::string(40000, '7'));
    PressKey(VK_END);
    PressKey('8');
    EXPECT_TRUE(WaitUntil([&] { return program.Text("txtVolt").size() == 40001; }))
        << program.Text("txtVolt").size();
}

TEST(Form1ScreenReader, EachTextBoxFollowsItsLabelAndThePictureHasAName) {
    const Program program;
    const Fields labels = {
        {"txtVolt", "电压:"}, {"txtF", "频率:"}, {"txtC1", "C1:"}, {"txtCurrent", "电流:"}};
    for (const auto& [box, label] : labels) {
        const HWND before = GetWindow(program.Control(box), GW_HWNDPREV);
        EXPECT_EQ(ClassOf(before), "Static") << box;
        EXPECT_EQ(WindowText(before), label) << box;
    }
    EXPECT_EQ(program.Text("Picture1"), "电路图");
    EXPECT_EQ(program.Text("Command1"), "计算电容");
    EXPECT_EQ(program.Text("Command2"), "计算电流");
}

// Whether this system's oleacc gives a window's standard object the
// description that its annotation service was given (Windows 7 and later do;
// Wine's has no annotation service): tried on a window of the test's own.
bool TryAnnotation() {
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    bool read = false;
    const HWND probe = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr,
                                       nullptr, nullptr, nullptr);
    Microsoft::WRL::ComPtr<IAccPropServices> services;
    if (probe != nullptr &&
        SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices,
                                   reinterpret_cast<void**>(services.GetAddressOf()))) &&
        SUCCEEDED(services->SetHwndPropStr(probe, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                           PROPID_ACC_DESCRIPTION, L"probe"))) {
        read = AccessibleOf(probe, OBJID_CLIENT).description == "probe";
    }
    services.Reset();
    if (probe != nullptr) DestroyWindow(probe);
    if (com) CoUninitialize();
    return read;
}
bool AnnotationsAreRead() {
    static const bool read = TryAnnotation();
    return read;
}

// What oleacc (Wine's; docs/windows.md says what it cannot answer) tells a
// screen reader: each text box named by its label, the circuit a graphic
// named 电路图, not a nameless pane.
TEST(Form1ScreenReader, NamesAndRolesAsTheAccessibilityLayerGivesThem) {
    const Program program;
    const std::vector<std::tuple<const char*, long, const char*, const char*>> expected = {
        {"txtVolt", ROLE_SYSTEM_TEXT, "电压", "单位: V (伏)"},
        {"txtF", ROLE_SYSTEM_TEXT, "频率", "单位: Hz (赫兹)"},
        {"txtC1", ROLE_SYSTEM_TEXT, "C1", "单位: µF (微法)"},
        {"txtCurrent", ROLE_SYSTEM_TEXT, "电流", "单位: mA (毫安)"},
        {"Picture1", ROLE_SYSTEM_GRAPHIC, "电路图", ""}};
    for (const auto& [control, role, name, description] : expected) {
        AccessibleObject found = AccessibleOf(program.Control(control), OBJID_CLIENT);
        // Windows drops a label's closing colon from the name; Wine keeps it.
        if (found.name.ends_with(':')) found.name.pop_back();
        EXPECT_EQ(found.role, role) << control;
        EXPECT_EQ(found.name, name) << control;
        if (AnnotationsAreRead()) {
            EXPECT_EQ(found.description, description) << control;
        }
    }
    if (!AnnotationsAreRead()) {
        std::cout << "[   NOTE   ] this oleacc reads no annotations: the units as descriptions "
                     "are unproved here\n";
    }
}

// Each result the core writes, the report and the box, raises the live
// region event that Narrator and NVDA speak while the focus stays on the
// button; a screen reader hooks it from its own process as this test does.
TEST(Form1ScreenReader, EachResultIsAnnouncedAsALiveRegionChange) {
    const Program program;
    WinEventRecorder changes(0x8019 /* EVENT_OBJECT_LIVEREGIONCHANGED */, program.ProcessId());
    ASSERT_TRUE(changes.Hooked());
    program.SetText("txtC1", "1");
    EXPECT_EQ(program.MessagesOf(program.Control("Command2")), Texts{});
    EXPECT_TRUE(changes.WaitFor(program.Control("lblT")));
    EXPECT_TRUE(changes.WaitFor(program.Control("txtCurrent")));
}

TEST(Form1Window, ResizingMovesNothing) {
    const Program program;
    const auto placeOf = [&](const char* name) {
        RECT rect{};
        GetWindowRect(program.Control(name), &rect);
        MapWindowPoints(nullptr, program.Form1(), reinterpret_cast<POINT*>(&rect), 2);
        return std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom};
    };
    const auto before = placeOf("Command2");
    const auto box = placeOf("txtVolt");
    for (const SIZE size : {SIZE{800, 600}, SIZE{200, 150}}) {
        SetWindowPos(program.Form1(), nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(placeOf("Command2"), before);
        EXPECT_EQ(placeOf("txtVolt"), box);
    }
}

// 退出 and the close box, with the About dialog open or not.
struct Ending {
    const char* name;
    bool aboutOpen;
    enum Way { Exit, CloseBox, SessionEnd } way;
};

std::ostream& operator<<(std::ostream& out, const Ending& row) { return out << row.name; }

class Endings : public ::testing::TestWithParam<Ending> {};

TEST_P(Endings, EndTheProgram) {
    const Program program;
    if (GetParam().aboutOpen) {
        program.ChooseMenuItem("sm");
        ASSERT_TRUE(WaitUntil([&] { return program.About() != nullptr; }));
    }
    switch (GetParam().way) {
        case Ending::CloseBox:
            PostMessageW(program.Form1(), WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Ending::SessionEnd: {
            // As Windows asks at log-off, and the Restart Manager before an
            // update: the program agrees, and ends when told the session ends.
            DWORD_PTR agreed = FALSE;
            SendMessageTimeoutW(program.Form1(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                SMTO_ABORTIFHUNG, 5000, &agreed);
            EXPECT_EQ(agreed, static_cast<DWORD_PTR>(TRUE));
            SendMessageTimeoutW(program.Form1(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP,
                                SMTO_ABORTIFHUNG, 5000, nullptr);
            break;
        }
        case Ending::Exit:
            program.ChooseMenuItem("ex");
            break;
    }
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Form1Window, Endings,
                         ::testing::Values(Ending{"Exit", false, Ending::Exit},
                                           Ending{"ExitWithAboutOpen", true, Ending::Exit},
                                           Ending{"CloseBox", false, Ending::CloseBox},
                                           Ending{"CloseBoxWithAboutOpen", true, Ending::CloseBox},
                                           Ending{"SessionEnd", false, Ending::SessionEnd},
                                           Ending{"SessionEndWithAboutOpen", true,
                                                  Ending::SessionEnd}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace quendal::testing
