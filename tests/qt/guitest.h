#pragma once
// Helpers for driving the real windows: finding controls by object name and
// answering the modal message boxes that a click opens, as a user would.

#include <QFont>
#include <QLineEdit>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <functional>

#include "formdescription.h"

namespace quendal::testing {

// What a message box showed before the closer pressed its button.
struct SeenMessageBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QStringList buttons;
};

// Runs the action (a click that may open message boxes) and dismisses each
// modal box it opens by clicking its "确定" button with the mouse. Returns the
// boxes in the order they appeared. A keyboard shortcut clicks its button a
// moment later: then say how many boxes to wait for.
QList<SeenMessageBox> AnswerMessageBoxes(const std::function<void()>& action, int waitFor = 0);

// Just the texts of the boxes that the action opened.
QStringList MessagesShownBy(const std::function<void()>& action);

template <typename T>
T* Find(const QWidget* root, const char* name) {
    T* child = root->findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) qFatal("no control named %s", name);
    return child;
}

// Runs the application's event loop, does the action from inside it, and
// returns the loop's exit code: 1 when nothing ends the loop within 10 s.
// Every timer and connection it makes is gone when it returns.
int ExitCodeOfEventLoopAfter(const std::function<void()>& action);

// Rows "name" (QString) and "geometry" (QRect) for a layout test: every
// control and line of the form where the description puts it, in pixels at
// 96 dpi, worked out here independently of the windows' own code.
void AddLayoutRows(const forms::Form& form);

// The widgets named so (two for a line drawn as two strokes).
QList<QWidget*> WidgetsNamed(const QWidget* root, const QString& name);

// A column "desktopPoints" (qreal) with a row for each font size a desktop
// hands its programs: 9, 10 and 11 pt (GNOME's).
void AddDesktopFontRows();

// Why the control's whole text does not show inside it, measured with the
// control's own font as its style lays it out: a text box's line within its
// text area, a label's text (wrapped where the label wraps), a button's
// caption within its margins. Empty when it fits.
QString WhyTextDoesNotFit(const QWidget* control);

// The same for every control of the form built on `window`, one line each.
QStringList TextsThatDoNotFit(const QWidget* window, const forms::Form& form);

// Makes the application's font (what the desktop hands every widget that
// does not set its own) the given size for the guard's life.
class DesktopFontSize {
public:
    explicit DesktopFontSize(qreal points);
    ~DesktopFontSize();
    DesktopFontSize(const DesktopFontSize&) = delete;
    DesktopFontSize& operator=(const DesktopFontSize&) = delete;

private:
    QFont m_before;
};

// Hides the desktop's System Information tools (their desktop entries) from
// this process, so that the About dialog's button ends in its message on any
// desktop. Call before the button's first click: GLib reads the folders once.
void HideDesktopTools();

// Replaces a text box's text by typing, the way a user would.
void TypeInto(QLineEdit* box, const QString& text);

// Sets up the application as the program does, quietens the offscreen
// platform's notes about window features it lacks, and runs the test object.
int RunGuiTest(int argc, char* argv[], const std::function<int(int, char**)>& run);

}  // namespace quendal::testing

#define QUENDAL_GUI_TEST_MAIN(TestClass)                                                  \
    int main(int argc, char* argv[]) {                                                    \
        return quendal::testing::RunGuiTest(argc, argv, [](int count, char** arguments) { \
            TestClass test;                                                               \
            return QTest::qExec(&test, count, arguments);                                 \
        });                                                                               \
    }
