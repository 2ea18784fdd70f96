// The About dialog opened from the main window's menu, as a user meets it.

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "form1.h"
#include "frmabout.h"
#include "guitest.h"

using quendal::testing::AnswerMessageBoxes;
using quendal::testing::ExitCodeOfEventLoopAfter;
using quendal::testing::Find;
using quendal::ui::Form1;
using quendal::ui::frmAbout;

class AboutTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1> m_window;

    void OpenAbout() { Find<QAction>(m_window->menuBar(), "sm")->trigger(); }
    static QList<frmAbout*> OpenDialogs() {
        QList<frmAbout*> dialogs;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<frmAbout*>(widget); dialog && dialog->isVisible()) {
                dialogs << dialog;
            }
        }
        return dialogs;
    }
    frmAbout* OpenedDialog() {
        OpenAbout();
        const auto dialogs = OpenDialogs();
        if (dialogs.size() != 1)
            qFatal("expected one About dialog, found %lld", qlonglong(dialogs.size()));
        if (!QTest::qWaitForWindowActive(dialogs[0])) qFatal("About dialog never became active");
        return dialogs[0];
    }
    static QString LabelText(const frmAbout* dialog, const char* name) {
        return Find<QLabel>(dialog, name)->text();
    }

private Q_SLOTS:
    void initTestCase() { quendal::testing::HideDesktopTools(); }
    void init() {
        m_window = std::make_unique<Form1>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup() {
        m_window.reset();
        QVERIFY(QTest::qWaitFor([] { return OpenDialogs().isEmpty(); }));
    }

    void showsTitleVersionDescriptionAndWarning() {
        frmAbout* dialog = OpenedDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("关于 Quendal"));
        QCOMPARE(LabelText(dialog, "lblTitle"), QStringLiteral("Quendal"));
        QCOMPARE(LabelText(dialog, "lblVersion"), QStringLiteral("版本 1.0.0"));
        QCOMPARE(LabelText(dialog, "lblDisclaimer"), QStringLiteral("警告: ..."));
        QCOMPARE(LabelText(dialog, "lblDescription"),
                 QStringLiteral(
                     "输入电容计算电流,输入电流计算电容,泄放电阻R1要保证功率否则容易烧,也不能太大,"
                     "要恰好能释放掉C1的电荷!例子是半波整流的 "
                     "需要自己修改!阻容降压电路需要接入负载后在通电! "
                     "犹豫阻容降压为非隔离电路 造成一切后果与此工具无关!"));
        QCOMPARE(Find<QPushButton>(dialog, "cmdOK")->text(), QStringLiteral("确定"));
        QCOMPARE(Find<QPushButton>(dialog, "cmdSysInfo")->text(),
                 QStringLiteral("系统信息(&S)..."));
    }

    // The safety warning whole, never smaller than the dialog's own text,
    // whatever the desktop's font size, and at every scale (QT_SCALE_FACTOR).
    void textsFitTheirControls_data() { quendal::testing::AddDesktopFontRows(); }
    void textsFitTheirControls() {
        QFETCH(qreal, desktopPoints);
        const quendal::testing::DesktopFontSize desktop(desktopPoints);
        frmAbout* dialog = OpenedDialog();
        const QStringList problems =
            quendal::testing::TextsThatDoNotFit(dialog, quendal::forms::frmAbout());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        const qreal description = Find<QLabel>(dialog, "lblDescription")->font().pointSizeF();
        QVERIFY(description >= Find<QLabel>(dialog, "lblVersion")->font().pointSizeF());
        QVERIFY(description >= 9.0);
    }

    void controlsAndSizeFollowTheDescription_data() {
        quendal::testing::AddLayoutRows(quendal::forms::frmAbout());
    }
    void controlsAndSizeFollowTheDescription() {
        QFETCH(QString, name);
        QFETCH(QList<QRect>, geometry);
        frmAbout* dialog = OpenedDialog();
        QCOMPARE(dialog->size(), QSize(382, 237));
        QList<QRect> actual;
        for (QWidget* widget : quendal::testing::WidgetsNamed(dialog, name)) {
            actual << widget->geometry();
        }
        QCOMPARE(actual, geometry);
    }

    // The design's black text and grey-and-white separator on a light theme;
    // the theme's own colours on a dark one (Breeze Dark, a dark GTK theme),
    // also when the desktop changes theme while the dialog is open.
    void followsTheDesktopsLightOrDarkTheme_data() {
        QTest::addColumn<QColor>("face");
        QTest::addColumn<QColor>("textColour");  // invalid: the one QPalette gives the face
        QTest::addColumn<bool>("designed");
        QTest::newRow("light") << QColor(239, 239, 239) << QColor() << true;
        QTest::newRow("dark") << QColor(49, 54, 59) << QColor() << false;
        // A dark theme whose text is mid-tone, darker than half-way yet
        // lighter than its windows: black text would vanish on it.
        QTest::newRow("dark, mid-tone text")
            << QColor(30, 30, 30) << QColor(110, 110, 110) << false;
        QTest::newRow("light, mid-tone text")
            << QColor(230, 230, 230) << QColor(150, 150, 150) << true;
    }
    void followsTheDesktopsLightOrDarkTheme() {
        QFETCH(QColor, face);
        QFETCH(QColor, textColour);
        QFETCH(bool, designed);
        frmAbout* dialog = OpenedDialog();
        const QPalette before = QApplication::palette();
        QPalette theme(face);  // text, mid and light colours to suit the face
        if (textColour.isValid()) theme.setColor(QPalette::WindowText, textColour);
        QApplication::setPalette(theme);
        QCoreApplication::processEvents();  // Qt hands the change to the windows as an event
        const QColor text = designed ? QColor(Qt::black) : theme.color(QPalette::WindowText);
        for (const char* name : {"lblDescription", "lblDisclaimer", "lblTitle"}) {
            QCOMPARE(Find<QLabel>(dialog, name)->palette().color(QPalette::WindowText), text);
        }
        QList<QRgb> strokes;
        for (QWidget* stroke : quendal::testing::WidgetsNamed(dialog, QStringLiteral("Line1"))) {
            // As drawn, every pixel of the stroke in its one colour.
            const QImage drawn = stroke->grab().toImage();
            const QColor colour = drawn.pixelColor(0, 0);
            for (int y = 0; y < drawn.height(); ++y) {
                for (int x = 0; x < drawn.width(); ++x) QCOMPARE(drawn.pixelColor(x, y), colour);
            }
            strokes << colour.rgb();
        }
        const QList<QRgb> expected =
            designed
                ? QList<QRgb>{qRgb(128, 128, 128), qRgb(255, 255, 255)}
                : QList<QRgb>{theme.color(QPalette::Mid).rgb(), theme.color(QPalette::Light).rgb()};
        QApplication::setPalette(before);
        QCoreApplication::processEvents();
        QCOMPARE(strokes, expected);
    }

    void fixedBorderWithoutMinimiseOrMaximise() {
        frmAbout* dialog = OpenedDialog();
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dialog->parentWidget() == nullptr);
        QVERIFY(!dialog->isModal());
    }

    void opensCentredOnTheMainWindow() {
        frmAbout* dialog = OpenedDialog();
        const QPoint offset = dialog->frameGeometry().center() - m_window->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 20,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    }

    void escapeEnterAndOkCloseIt_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Esc") << 0;
        QTest::newRow("Enter") << 1;
        QTest::newRow("OK clicked") << 2;
        QTest::newRow("title bar close") << 3;
    }
    void escapeEnterAndOkCloseIt() {
        QFETCH(int, how);
        QPointer<frmAbout> dialog = OpenedDialog();
        switch (how) {
            case 0:
                QTest::keyClick(dialog, Qt::Key_Escape);
                break;
            case 1:
                QTest::keyClick(dialog, Qt::Key_Return);
                break;
            case 2:
                QTest::mouseClick(Find<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
                break;
            default:
                dialog->close();
                break;
        }
        QVERIFY(QTest::qWaitFor([&] { return dialog.isNull(); }));  // unloaded, not just hidden
        QVERIFY(m_window->isVisible());
    }

    void aboutTwiceGivesOneDialogAndReopeningLoadsAfresh() {
        QPointer<frmAbout> first = OpenedDialog();
        OpenAbout();
        QCOMPARE(OpenDialogs().size(), 1);
        QCOMPARE(OpenDialogs()[0], first.data());
        QTest::keyClick(first, Qt::Key_Escape);
        // Reopened before the closed one is deleted: a new dialog, which
        // outlives the old one and shows its message boxes.
        QPointer<frmAbout> second = OpenedDialog();
        QVERIFY(second != first);
        QVERIFY(QTest::qWaitFor([&] { return first.isNull(); }));
        QVERIFY(second && second->isVisible());
        QCOMPARE(second->windowTitle(), QStringLiteral("关于 Quendal"));
        QCOMPARE(AnswerMessageBoxes([&] {
                     QTest::mouseClick(Find<QPushButton>(second, "cmdSysInfo"), Qt::LeftButton);
                 }).size(),
                 1);
    }

    void mainWindowStaysUsableWhileItIsOpen() {
        OpenedDialog();
        auto* box = Find<QLineEdit>(m_window.get(), "txtC1");
        box->setText(QStringLiteral("1"));
        QTest::mouseClick(Find<QPushButton>(m_window.get(), "Command2"), Qt::LeftButton);
        QCOMPARE(Find<QLineEdit>(m_window.get(), "txtCurrent")->text(), QStringLiteral("69.12"));
    }

    // By mouse, by its access key, and by Enter with the focus on it (not
    // the default button's Enter).
    void systemInformationIsUnavailableHere_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("mouse") << 0;
        QTest::newRow("Alt+S") << 1;
        QTest::newRow("Enter on the focused button") << 2;
    }
    void systemInformationIsUnavailableHere() {
        QFETCH(int, how);
        frmAbout* dialog = OpenedDialog();
        auto* button = Find<QPushButton>(dialog, "cmdSysInfo");
        QCOMPARE(button->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));
        if (how == 2) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), button);
        }
        const auto boxes = AnswerMessageBoxes(
            [&] {
                if (how == 1) {
                    QTest::keyClick(dialog->windowHandle(), Qt::Key_S, Qt::AltModifier);
                } else if (how == 2) {
                    QTest::keyClick(button, Qt::Key_Return);
                } else {
                    QTest::mouseClick(button, Qt::LeftButton);
                }
            },
            1);
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("此时系统信息不可用"));
        QCOMPARE(boxes[0].title, QStringLiteral("Quendal"));
        QCOMPARE(boxes[0].buttons, QStringList{QStringLiteral("确定")});
        QVERIFY(dialog->isVisible());
    }

    // 32 pixels at 100 %, and at other scales (ctest runs this again with
    // QT_SCALE_FACTOR) the drawing made at that size, not the 32 blown up.
    void iconIsA32PixelPicture() {
        frmAbout* dialog = OpenedDialog();
        const QPixmap icon = Find<QLabel>(dialog, "picIcon")->pixmap();
        const qreal ratio = dialog->devicePixelRatioF();
        QCOMPARE(icon.deviceIndependentSize().toSize(), QSize(32, 32));
        const int pixels = qRound(32 * ratio);
        QCOMPARE(icon.size(), QSize(pixels, pixels));
        QImage made(QStringLiteral(":/quendal-%1.png").arg(pixels));
        QVERIFY(!made.isNull());
        made.setDevicePixelRatio(ratio);
        QCOMPARE(icon.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 made.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    void exitWithTheDialogOpenEndsTheProgram() {
        QPointer<frmAbout> dialog = OpenedDialog();
        QCOMPARE(ExitCodeOfEventLoopAfter(
                     [this] { Find<QAction>(m_window->menuBar(), "ex")->trigger(); }),
                 0);
        QVERIFY(dialog.isNull());
        QVERIFY(!m_window->isVisible());
    }

    void closingTheMainWindowClosesTheDialogToo() {
        QPointer<frmAbout> dialog = OpenedDialog();
        QCOMPARE(ExitCodeOfEventLoopAfter([this] { m_window->close(); }), 0);
        QVERIFY(dialog.isNull());
    }
};

QUENDAL_GUI_TEST_MAIN(AboutTest)

#include "about_test.moc"
