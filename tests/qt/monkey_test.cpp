// Thousands of random user actions on the real window: typing and pasting
// hostile text, clicking both buttons, opening and closing the About dialog,
// answering message boxes. Nothing may crash, no modal box may be left open,
// and after every click the fields must hold what the core computes from the
// same texts. The seed is printed; QUENDAL_MONKEY_SEED repeats a run.

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include "dropper.h"
#include "form1.h"
#include "frmabout.h"
#include "guitest.h"
#include "recorders.h"

using quendal::FieldId;
using quendal::testing::AnswerMessageBoxes;
using quendal::testing::Find;

namespace {

constexpr const char* kFields[] = {"txtVolt", "txtF", "txtC1", "txtCurrent"};

class Monkey {
public:
    explicit Monkey(quint32 seed) : m_random(seed) {}

    QString RandomText() {
        static const QStringList pieces = {
            QStringLiteral("220"),    QStringLiteral("50"),         QStringLiteral("1"),
            QStringLiteral("0"),      QStringLiteral("-0"),         QStringLiteral(".5"),
            QStringLiteral("5."),     QStringLiteral("1e3"),        QStringLiteral("1e400"),
            QStringLiteral("1e-400"), QStringLiteral("1e-323"),     QStringLiteral("1e300"),
            QStringLiteral("-1e306"), QStringLiteral("1,000"),      QStringLiteral(" "),
            QStringLiteral("\u3000"), QStringLiteral("\u00a0"),     QStringLiteral("电压"),
            QStringLiteral("１２３"), QStringLiteral("\U0001F600"), QStringLiteral("e"),
            QStringLiteral("+"),      QStringLiteral("-"),          QStringLiteral("."),
            QStringLiteral("abc"),    QStringLiteral("\t"),         QStringLiteral("NaN"),
            QStringLiteral("inf"),    QStringLiteral("0x1p3"),      QStringLiteral("٣"),
            QStringLiteral("\u200b")};
        QString text;
        const int count = Below(5);
        for (int i = 0; i < count; ++i) text += pieces[Below(static_cast<int>(pieces.size()))];
        if (Below(50) == 0) text += QString(Below(70000), QLatin1Char('9'));  // very long
        return text;
    }
    int Below(int bound) { return static_cast<int>(m_random.bounded(bound)); }

private:
    QRandomGenerator m_random;
};

// Types text as a user does: ASCII as key presses, anything else committed by
// an input method (that is how Chinese, full-width digits or emoji arrive).
void TypeText(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            QTest::keyClick(target, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(target, &commit);
        }
    }
}

}  // namespace

class MonkeyTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<quendal::ui::Form1> m_window;

    QLineEdit* Box(const char* name) { return Find<QLineEdit>(m_window.get(), name); }

    // What the core does with the same texts, on an in-memory copy.
    struct Expected {
        quendal::testing::MemoryFields fields;
        QStringList messages;
    };
    Expected ComputeLikeTheCore(bool capacitance) {
        Expected expected;
        expected.fields.Set(FieldId::txtVolt, Box("txtVolt")->text().toStdString())
            .Set(FieldId::txtF, Box("txtF")->text().toStdString())
            .Set(FieldId::txtC1, Box("txtC1")->text().toStdString())
            .Set(FieldId::txtCurrent, Box("txtCurrent")->text().toStdString());
        expected.fields.report = Find<QLabel>(m_window.get(), "lblT")->text().toStdString();
        quendal::testing::RecordingMessenger messenger;
        if (capacitance) {
            quendal::CalculateCapacitance(expected.fields, messenger);
        } else {
            quendal::CalculateCurrent(expected.fields, messenger);
        }
        for (const auto& message : messenger.messages)
            expected.messages << QString::fromStdString(message);
        return expected;
    }

    void ClickAndCompare(bool capacitance) {
        Expected expected = ComputeLikeTheCore(capacitance);
        auto* button = Find<QPushButton>(m_window.get(), capacitance ? "Command1" : "Command2");
        QStringList shown;
        for (const auto& box :
             AnswerMessageBoxes([&] { QTest::mouseClick(button, Qt::LeftButton); })) {
            shown << box.text;
        }
        QCOMPARE(shown, expected.messages);
        for (const char* name : kFields) {
            const FieldId id = name == kFields[0]   ? FieldId::txtVolt
                               : name == kFields[1] ? FieldId::txtF
                               : name == kFields[2] ? FieldId::txtC1
                                                    : FieldId::txtCurrent;
            QCOMPARE(Box(name)->text(), QString::fromStdString(expected.fields.FieldText(id)));
        }
        QString report = QString::fromStdString(expected.fields.report);
        report.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(Find<QLabel>(m_window.get(), "lblT")->text(), report);
    }

    void ToggleAbout(Monkey& monkey) {
        QWidget* open = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<quendal::ui::frmAbout*>(widget) && widget->isVisible()) open = widget;
        }
        if (open == nullptr) {
            Find<QAction>(m_window->menuBar(), "sm")->trigger();
            return;
        }
        switch (monkey.Below(3)) {
            case 0:
                QTest::keyClick(open, Qt::Key_Escape);
                break;
            case 1:
                Find<QAction>(m_window->menuBar(), "sm")->trigger();
                break;  // brought to front
            default: {
                const auto boxes = AnswerMessageBoxes([&] {
                    QTest::mouseClick(Find<QPushButton>(open, "cmdSysInfo"), Qt::LeftButton);
                });
                QCOMPARE(boxes.size(), 1);
            }
        }
    }

private Q_SLOTS:
    void initTestCase() { quendal::testing::HideDesktopTools(); }
    void randomActionsNeverBreakTheWindow() {
        bool ok = false;
        auto seed = static_cast<quint32>(qEnvironmentVariableIntValue("QUENDAL_MONKEY_SEED", &ok));
        if (!ok) seed = 20261207;
        const int steps = qEnvironmentVariableIsSet("QUENDAL_MONKEY_STEPS")
                              ? qEnvironmentVariableIntValue("QUENDAL_MONKEY_STEPS")
                              : 3000;
        qInfo("monkey seed %u, %d steps (repeat with QUENDAL_MONKEY_SEED=%u)", seed, steps, seed);

        m_window = std::make_unique<quendal::ui::Form1>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        Monkey monkey(seed);

        for (int step = 0; step < steps; ++step) {
            const QByteArray where = QByteArray("seed ") + QByteArray::number(seed) + " step " +
                                     QByteArray::number(step);
            QLineEdit* box = Box(kFields[monkey.Below(4)]);
            switch (monkey.Below(10)) {
                case 0:
                case 1:
                    box->setFocus();
                    if (monkey.Below(2) == 0) box->selectAll();
                    TypeText(box, monkey.RandomText().left(200));
                    break;
                case 2:
                    box->setText(monkey.RandomText());
                    break;
                case 3:
                    QApplication::clipboard()->setText(monkey.RandomText());
                    box->setFocus();
                    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
                    break;
                case 4:
                case 5:
                    ClickAndCompare(true);
                    break;
                case 6:
                case 7:
                    ClickAndCompare(false);
                    break;
                case 8:
                    ToggleAbout(monkey);
                    break;
                default:
                    QTest::keyClick(
                        QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get(),
                        monkey.Below(2) ? Qt::Key_Tab : Qt::Key_Backspace);
                    break;
            }
            if (QTest::currentTestFailed()) qFatal("failed at %s", where.constData());
            QVERIFY2(QApplication::activeModalWidget() == nullptr, where.constData());
            QVERIFY2(m_window->isVisible() && m_window->isEnabled(), where.constData());
        }
        m_window.reset();
    }
};

QUENDAL_GUI_TEST_MAIN(MonkeyTest)

#include "monkey_test.moc"
