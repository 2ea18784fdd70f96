// The main window driven as a user drives it: typing, clicking, Tab, menus.

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "application.h"
#include "form1.h"
#include "guitest.h"
#include "wrappinglabel.h"

using quendal::testing::AnswerMessageBoxes;
using quendal::testing::ExitCodeOfEventLoopAfter;
using quendal::testing::Find;
using quendal::testing::MessagesShownBy;
using quendal::testing::TypeInto;
using quendal::ui::Form1;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1> m_window;

    QLineEdit* Box(const char* name) const { return Find<QLineEdit>(m_window.get(), name); }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(m_window.get(), name); }
    QString Report() const { return Find<QLabel>(m_window.get(), "lblT")->text(); }
    QAction* MenuItem(const char* name) const { return Find<QAction>(m_window->menuBar(), name); }
    void Click(const char* button) { QTest::mouseClick(Button(button), Qt::LeftButton); }

private Q_SLOTS:
    void init() {
        m_window = std::make_unique<Form1>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    // First, while nothing else in this process has read a picture: the
    // window's own pictures and Fusion's menu-bar icon are read without Qt
    // loading every image-format plugin on the system to ask about them.
    void opensWithoutLoadingAnImageFormatPlugin() {
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QStringList plugins = QString::fromUtf8(maps.readAll())
                                        .split(QLatin1Char('\n'))
                                        .filter(QStringLiteral("/imageformats/"));
        QVERIFY2(plugins.isEmpty(), qPrintable(plugins.join(QLatin1Char('\n'))));
    }

    void startsWithDefaultsAndFocusInVoltage() {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Quendal by Morvik"));
        QCOMPARE(Box("txtVolt")->text(), QStringLiteral("220"));
        QCOMPARE(Box("txtF")->text(), QStringLiteral("50"));
        QCOMPARE(Box("txtC1")->text(), QString());
        QCOMPARE(Box("txtCurrent")->text(), QString());
        QCOMPARE(Report(), QString());
        QCOMPARE(QApplication::focusWidget(), Box("txtVolt"));
        QCOMPARE(m_window->centralWidget()->size(), QSize(405, 330));
    }

    void controlsStandWhereTheDescriptionPutsThem_data() {
        quendal::testing::AddLayoutRows(quendal::forms::Form1());
    }
    void controlsStandWhereTheDescriptionPutsThem() {
        QFETCH(QString, name);
        QFETCH(QList<QRect>, geometry);
        QList<QRect> actual;
        for (QWidget* widget : quendal::testing::WidgetsNamed(m_window.get(), name)) {
            actual << widget->geometry();
        }
        QCOMPARE(actual, geometry);
    }

    void initialTextsAndCaptions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("txtVolt") << "txtVolt"
                                 << "220";
        QTest::newRow("lblVolt") << "lblVolt"
                                 << "电压:";
        QTest::newRow("lblFre") << "lblFre"
                                << "频率:";
        QTest::newRow("txtF") << "txtF"
                              << "50";
        QTest::newRow("lblC1") << "lblC1"
                               << "C1:";
        QTest::newRow("txtC1") << "txtC1"
                               << "";
        QTest::newRow("Command1") << "Command1"
                                  << "计算电容";
        QTest::newRow("Command2") << "Command2"
                                  << "计算电流";
        QTest::newRow("Label1") << "Label1"
                                << "电流:";
        QTest::newRow("txtCurrent") << "txtCurrent"
                                    << "";
        QTest::newRow("lblT") << "lblT"
                              << "";
    }
    void initialTextsAndCaptions() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        auto* control = m_window->findChild<QWidget*>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        if (auto* box = qobject_cast<QLineEdit*>(control)) QCOMPARE(box->text(), text);
        if (auto* button = qobject_cast<QPushButton*>(control)) QCOMPARE(button->text(), text);
        if (auto* label = qobject_cast<QLabel*>(control)) QCOMPARE(label->text(), text);
    }

    // Whatever the desktop's style (the tests start as under another).
    void drawnInTheStyleTheFormIsMadeFor() {
        const auto* style = qobject_cast<const QProxyStyle*>(QApplication::style());
        QVERIFY(style != nullptr);
        QCOMPARE(style->baseStyle()->name(), QStringLiteral("fusion"));
        QCOMPARE(m_window->style(), style);
    }

    // Whatever the desktop's font size (GNOME's default is 11 pt), and at
    // every scale (ctest runs this again with QT_SCALE_FACTOR), each text
    // shows whole: the report's long lines wrap.
    void textsFitTheirControls_data() { quendal::testing::AddDesktopFontRows(); }
    void textsFitTheirControls() {
        QFETCH(qreal, desktopPoints);
        const quendal::testing::DesktopFontSize desktop(desktopPoints);
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // C1 = 1e-12 µF, then -100000 µF: a word wider than the report, a line to wrap.
        window.SetReportText("容抗3183098861837.9067 K欧\r\n电流:-6911503.72 mA");
        const QStringList problems =
            quendal::testing::TextsThatDoNotFit(&window, quendal::forms::Form1());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // At every scale (ctest runs this again with QT_SCALE_FACTOR) the circuit
    // shows pixel for pixel: at 100 % the JPEG's own top-left part, elsewhere
    // the bitmap made for that scale, not the JPEG blown up and blurred.
    void circuitIsDrawnFromTheBitmapMadeForTheScale() {
        auto* picture = m_window->findChild<QWidget*>(QStringLiteral("Picture1"));
        const qreal ratio = picture->devicePixelRatioF();
        const int dpi = qRound(96 * ratio);
        const QImage shown = picture->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage source = dpi == 96 ? QImage(QStringLiteral(QUENDAL_ASSETS_DIR "/circuit.jpg"))
                                  : QImage(QStringLiteral(":/circuit/circuit-%1.png").arg(dpi));
        QVERIFY2(!source.isNull(), qPrintable(QStringLiteral("no picture for %1 dpi").arg(dpi)));
        source =
            source.copy(QRect(QPoint(0, 0), shown.size())).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), QSize(qRound(249 * ratio), qRound(265 * ratio)));
        int differing = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                differing += shown.pixel(x, y) != source.pixel(x, y) ? 1 : 0;
            }
        }
        QCOMPARE(differing, 0);
    }

    // ctest runs this with two screens of 100 and 200 %: the circuit follows
    // the window to the other one, drawn anew for its scale.
    void circuitFollowsTheWindowToAScreenOfAnotherScale() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() < 2) QSKIP("one screen only");
        auto* picture = m_window->findChild<QLabel*>(QStringLiteral("Picture1"));
        for (QScreen* screen : {screens.at(1), screens.at(0)}) {
            m_window->move(screen->geometry().topLeft() + QPoint(50, 50));
            // (QTRY_COMPARE's timeout does not build warning-free with Qt 6.8.)
            QVERIFY(QTest::qWaitFor([&] { return m_window->screen() == screen; }));
            // Qt 6.8's offscreen windows keep the ratio 1 on every screen.
            if (!QTest::qWaitFor(
                    [&] { return m_window->devicePixelRatioF() == screen->devicePixelRatio(); }))
                QSKIP("this platform gives a window no screen's ratio");
            QVERIFY(QTest::qWaitFor([&] {
                return picture->pixmap().devicePixelRatio() == screen->devicePixelRatio();
            }));
            QCOMPARE(picture->pixmap().size(), QSize(249, 265) * screen->devicePixelRatio());
        }
    }

    void songLabelsUseTheSerifCjkFont_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bold");
        QTest::newRow("lblVolt regular") << "lblVolt" << false;
        QTest::newRow("lblC1 bold") << "lblC1" << true;
        QTest::newRow("Label1 bold") << "Label1" << true;
        QTest::newRow("lblT bold") << "lblT" << true;
    }
    void songLabelsUseTheSerifCjkFont() {
        QFETCH(QString, name);
        QFETCH(bool, bold);
        const QFont font = m_window->findChild<QLabel*>(name)->font();
        QCOMPARE(font.family(), quendal::ui::SongFamily());
        QCOMPARE(font.pointSizeF(), 10.5);
        QCOMPARE(font.bold(), bold);
        // The family actually drawn must be a serif CJK font that has the glyphs.
        const QFontInfo drawn(font);
        QVERIFY2(drawn.family().contains(QStringLiteral("Serif")) ||
                     drawn.family().contains(QStringLiteral("SimSun")) ||
                     drawn.family().contains(QStringLiteral("宋体")),
                 qPrintable(drawn.family()));
        QVERIFY(QFontMetrics(font).inFontUcs4(U'电'));
    }

    void currentFromCapacitanceByMouse() {
        TypeInto(Box("txtC1"), QStringLiteral("1"));
        QCOMPARE(MessagesShownBy([&] { Click("Command2"); }), QStringList());
        QCOMPARE(Box("txtCurrent")->text(), QStringLiteral("69.12"));
        QCOMPARE(Report(), QStringLiteral("容抗3.1831 K欧\n电流:69.12 mA"));
    }

    // Space, Enter and the keypad's Enter press the focused button, as on
    // Windows, whether the focus came by Tab or by a click of the mouse.
    void capacitanceFromCurrentByKeyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("focusByClick");
        QTest::newRow("Space") << int(Qt::Key_Space) << false;
        QTest::newRow("Enter") << int(Qt::Key_Return) << false;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false;
        QTest::newRow("Enter after a click") << int(Qt::Key_Return) << true;
    }
    void capacitanceFromCurrentByKeyboard() {
        QFETCH(int, key);
        QFETCH(bool, focusByClick);
        TypeInto(Box("txtCurrent"), QStringLiteral("100"));
        if (focusByClick) {
            Click("Command1");
            QCOMPARE(Box("txtC1")->text(), QStringLiteral("1.45"));
            Box("txtC1")->clear();  // the key must write it again
            QVERIFY(Button("Command1")->hasFocus());
        } else {
            Button("Command1")->setFocus();
        }
        QCOMPARE(MessagesShownBy(
                     [&] { QTest::keyClick(Button("Command1"), static_cast<Qt::Key>(key)); }),
                 QStringList());
        QCOMPARE(Box("txtC1")->text(), QStringLiteral("1.45"));
        QCOMPARE(Report(), QStringLiteral("容抗2.2 K欧\n电流:100. mA"));
    }

    void bothDirectionsAt60Hz() {
        TypeInto(Box("txtF"), QStringLiteral("60"));
        TypeInto(Box("txtCurrent"), QStringLiteral("100"));
        Click("Command1");
        QCOMPARE(Box("txtC1")->text(), QStringLiteral("1.21"));
        TypeInto(Box("txtC1"), QStringLiteral("1"));
        Click("Command2");
        QCOMPARE(Box("txtCurrent")->text(), QStringLiteral("82.94"));
        QCOMPARE(Report(), QStringLiteral("容抗2.6526 K欧\n电流:82.94 mA"));
    }

    void emptyFieldsGiveRealMessageBoxesInOrder() {
        TypeInto(Box("txtVolt"), QString());
        TypeInto(Box("txtF"), QString());
        const auto boxes = AnswerMessageBoxes([&] { Click("Command1"); });
        QCOMPARE(boxes.size(), 3);
        QCOMPARE(boxes[0].text, QStringLiteral("请输出电压!"));
        QCOMPARE(boxes[1].text, QStringLiteral("请输出交流频率!"));
        QCOMPARE(boxes[2].text, QStringLiteral("请输电流大小,单位mA"));
        for (const auto& box : boxes) {
            QCOMPARE(box.title, QStringLiteral("Quendal"));
            QCOMPARE(box.icon, QMessageBox::NoIcon);
            QCOMPARE(box.buttons, QStringList{QStringLiteral("确定")});
        }
        QCOMPARE(Box("txtC1")->text(), QString());
        QCOMPARE(Report(), QString());
    }

    void missingCapacitanceGivesItsMessage() {
        QCOMPARE(MessagesShownBy([&] { Click("Command2"); }),
                 QStringList{QStringLiteral("请输出C1大小,单位uF")});
        QCOMPARE(Box("txtCurrent")->text(), QString());
    }

    void arithmeticFaultIsReportedAndTheWindowGoesOn() {
        TypeInto(Box("txtC1"), QStringLiteral("1"));
        Click("Command2");
        TypeInto(Box("txtF"), QStringLiteral("1e300"));
        TypeInto(Box("txtC1"), QStringLiteral("1e300"));
        QCOMPARE(MessagesShownBy([&] { Click("Command2"); }),
                 QStringList{QStringLiteral("计算溢出")});
        QCOMPARE(Box("txtCurrent")->text(), QStringLiteral("69.12"));  // the previous result stays
        TypeInto(Box("txtF"), QStringLiteral("50"));
        TypeInto(Box("txtC1"), QStringLiteral("2"));
        Click("Command2");
        QCOMPARE(Box("txtCurrent")->text(), QStringLiteral("138.23"));
    }

    void tabVisitsTheControlsInOrder() {
        const QStringList expected = {"txtF",     "Picture1",   "txtC1",  "Command1",
                                      "Command2", "txtCurrent", "txtVolt"};
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    void enterAndEscapeInATextBoxDoNothing() {
        TypeInto(Box("txtCurrent"), QStringLiteral("100"));
        const QStringList messages = MessagesShownBy([&] {
            QTest::keyClick(Box("txtCurrent"), Qt::Key_Return);
            QTest::keyClick(Box("txtCurrent"), Qt::Key_Escape);
        });
        QCOMPARE(messages, QStringList());
        QCOMPARE(Box("txtC1")->text(), QString());
        QCOMPARE(Box("txtCurrent")->text(), QStringLiteral("100"));
        QVERIFY(m_window->isVisible());
    }

    void textBoxesHaveNoLengthLimit() {
        const QString longText(40000, QLatin1Char('7'));
        Box("txtC1")->setText(longText);
        QTest::keyClick(Box("txtC1"), Qt::Key_End);
        QTest::keyClicks(Box("txtC1"), QStringLiteral("8"));
        QCOMPARE(Box("txtC1")->text().size(), 40001);
    }

    void resizingMovesNothing() {
        const QRect before = Button("Command2")->geometry();
        m_window->resize(800, 600);
        QVERIFY(QTest::qWaitFor([&] { return m_window->size() == QSize(800, 600); }));
        QCOMPARE(Button("Command2")->geometry(), before);
        m_window->resize(200, 150);
        QCOMPARE(Box("txtVolt")->geometry(), QRect(48, 24, 41, 18));
    }

    void screenReaderNamesEveryStop_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accessibleName");
        QTest::newRow("voltage") << "txtVolt"
                                 << "电压:";
        QTest::newRow("frequency") << "txtF"
                                   << "频率:";
        QTest::newRow("capacitance") << "txtC1"
                                     << "C1:";
        QTest::newRow("current") << "txtCurrent"
                                 << "电流:";
        QTest::newRow("picture") << "Picture1"
                                 << "电路图";
        QTest::newRow("capacitance button") << "Command1"
                                            << "计算电容";
        QTest::newRow("current button") << "Command2"
                                        << "计算电流";
    }
    void screenReaderNamesEveryStop() {
        QFETCH(QString, name);
        QFETCH(QString, accessibleName);
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(m_window->findChild<QWidget*>(name));
        QVERIFY(accessible != nullptr);
        QCOMPARE(accessible->text(QAccessible::Name), accessibleName);
    }

    // As a tooltip, and to screen readers as the description even with the
    // tooltips gone (Qt reads a tooltip only in the description's absence).
    void textBoxesTellTheirUnit() {
        QVERIFY(Box("txtVolt")->toolTip().contains(QStringLiteral("V")));
        QVERIFY(Box("txtF")->toolTip().contains(QStringLiteral("Hz")));
        QVERIFY(Box("txtC1")->toolTip().contains(QStringLiteral("µF")));
        QVERIFY(Box("txtCurrent")->toolTip().contains(QStringLiteral("mA")));
        for (const char* name : {"txtVolt", "txtF", "txtC1", "txtCurrent"}) {
            const QString unit = Box(name)->toolTip();
            Box(name)->setToolTip(QString());
            QCOMPARE(
                QAccessible::queryAccessibleInterface(Box(name))->text(QAccessible::Description),
                unit);
        }
    }

    // A number that fits the report's width is never split, even where the
    // text before it does not fit beside it; one wider than the report is.
    void reportBreaksAtTheSpaceBeforeANumber() {
        auto* label = Find<quendal::ui::WrappingLabel>(m_window.get(), "lblT");
        const QString number = QStringLiteral("31830988.6183");
        const QString text = QStringLiteral("容抗 容抗 ") + number + QStringLiteral(" K欧");
        QVERIFY(label->fontMetrics().horizontalAdvance(QStringLiteral("容抗 容抗 ") + number) >
                label->contentsRect().width());
        m_window->SetReportText(text.toStdString());
        QCOMPARE(label->Lines(), (QStringList{QStringLiteral("容抗 容抗"), number + " K欧"}));
        m_window->SetReportText("容抗3183098861837.90673183 K欧");
        const QStringList lines = label->Lines();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("容抗"));
        QVERIFY(lines[1].startsWith(QStringLiteral("31830988")));
        QVERIFY(label->fontMetrics().horizontalAdvance(lines[1]) <= label->contentsRect().width());
        QCOMPARE(lines[1] + lines[2], QStringLiteral("3183098861837.90673183 K欧"));
    }

    // In the window, whatever the desktop's global menu: exported there,
    // items without a submenu would vanish.
    void menuBarHasExitAndAboutInTheWindow() {
        QStringList captions;
        for (QAction* action : m_window->menuBar()->actions()) captions << action->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("退出"), QStringLiteral("说明")}));
        QVERIFY(!m_window->menuBar()->isNativeMenuBar());
        QVERIFY(m_window->menuBar()->isVisible());
        QCOMPARE(m_window->menuBar()->geometry().top(), 0);
        QVERIFY(m_window->menuBar()->height() > 0);
        QCOMPARE(m_window->centralWidget()->geometry().top(), m_window->menuBar()->height());
        QCOMPARE(MenuItem("ex")->shortcut(), QKeySequence(QKeySequence::Quit));
        QCOMPARE(MenuItem("sm")->shortcut(), QKeySequence(QKeySequence::HelpContents));
        // Its overflow button, made with the bar, draws Fusion's own icon.
        const auto* overflow = m_window->menuBar()->findChild<QToolButton*>();
        QVERIFY(overflow != nullptr);
        const QIcon fusions = qobject_cast<const QProxyStyle*>(QApplication::style())
                                  ->baseStyle()
                                  ->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        QCOMPARE(overflow->icon().pixmap(QSize(16, 16)).toImage(),
                 fusions.pixmap(QSize(16, 16)).toImage());
        QVERIFY(!overflow->icon().pixmap(QSize(16, 16)).isNull());
    }

    // The platform's key for Quit (Ctrl+Q on KDE and GNOME; none in the
    // Windows scheme of the offscreen platform, where Alt+F4 closes).
    void quitKeyEndsTheProgram() {
        const QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Quit);
        if (keys.isEmpty()) QSKIP("this platform has no key for Quit");
        const QKeyCombination key = keys.first()[0];
        QCOMPARE(ExitCodeOfEventLoopAfter(
                     [&] { QTest::keyClick(Box("txtVolt"), key.key(), key.keyboardModifiers()); }),
                 0);
        QVERIFY(!m_window->isVisible());
    }

    void helpKeyOpensTheAboutDialog() {
        const QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::HelpContents);
        QVERIFY(!keys.isEmpty());
        const QKeyCombination key = keys.first()[0];
        QTest::keyClick(Box("txtVolt"), key.key(), key.keyboardModifiers());
        QWidget* about = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->objectName() == QStringLiteral("frmAbout") && window->isVisible())
                    about = window;
            }
            return about != nullptr;
        }));
        about->close();
    }

    void exitEndsTheProgram() {
        bool quit = false;
        QObject scope;  // the connection must not outlive `quit`
        connect(qApp, &QCoreApplication::aboutToQuit, &scope, [&quit] { quit = true; });
        QCOMPARE(ExitCodeOfEventLoopAfter([this] { MenuItem("ex")->trigger(); }), 0);
        QVERIFY(quit);
        QVERIFY(!m_window->isVisible());
    }
};

QUENDAL_GUI_TEST_MAIN(MainWindowTest)

#include "mainwindow_test.moc"
