#include "frmabout.h"

#include <QLabel>
#include <QPushButton>

#include "appinfo.h"
#include "etchedline.h"
#include "messageboxmessenger.h"
#include "placedcontrols.h"
#include "sysinfo.h"
#include "twips.h"

namespace quendal::ui {

namespace {

constexpr char kDescription[] =
    "输入电容计算电流,输入电流计算电容,泄放电阻R1要保证功率否则容易烧,也不能太大,"
    "要恰好能释放掉C1的电荷!例子是半波整流的 需要自己修改!阻容降压电路需要接入负载后在通电! "
    "犹豫阻容降压为非隔离电路 造成一切后果与此工具无关!";
constexpr char kDisclaimer[] = "警告: ...";

// The smallest size the description may shrink to; below it the text would
// no longer be readable.
constexpr qreal kMinimumPointSize = 6.0;

QLabel* AddLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text,
                 bool black) {
    QLabel* label = AddPlacedLabel(parent, name, geometry, text);
    if (black) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    return label;
}

}  // namespace

frmAbout::frmAbout()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("关于我的应用程序"));
    setFixedSize(Twips(5730), Twips(3555));

    // Created in tab order.
    QPushButton* cmdOK =
        AddPlacedButton(this, "cmdOK", TwipsRect(4125, 2625, 1500, 345), QStringLiteral("确定"));
    cmdOK->setDefault(true);  // Enter; Esc rejects the dialog, which closes it the same way
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(TwipsRect(240, 240, 540, 540));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picIcon->setPixmap(QPixmap(QStringLiteral(":/quendal-32.png")));
    picIcon->setAccessibleName(QString::fromUtf8(AppTitle));

    QPushButton* cmdSysInfo = AddPlacedButton(this, "cmdSysInfo", TwipsRect(4140, 3075, 1485, 345),
                                              QStringLiteral("系统信息(&S)..."));
    cmdSysInfo->setAutoDefault(false);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSystemInformation);

    m_lblDescription = AddLabel(this, "lblDescription", TwipsRect(1050, 1125, 3885, 1170),
                                QString::fromUtf8(kDescription), true);
    m_lblDescription->setWordWrap(true);
    AddLabel(this, "lblDisclaimer", TwipsRect(255, 2625, 3630, 825), QString::fromUtf8(kDisclaimer),
             true);
    m_lblTitle = AddLabel(this, "lblTitle", TwipsRect(1050, 240, 3885, 480),
                          QStringLiteral("应用程序标题"), true);
    m_lblVersion = AddLabel(this, "lblVersion", TwipsRect(1050, 780, 3885, 225),
                            QStringLiteral("版本"), false);

    auto* line = new EtchedLine(Twips(90), Twips(2445), Twips(5654), this);
    line->setObjectName(QStringLiteral("Line1"));

    Load();
    FitDescription();
}

void frmAbout::Load() {
    const QString title = QString::fromUtf8(AppTitle);
    setWindowTitle(QStringLiteral("关于 ") + title);
    m_lblVersion->setText(
        QStringLiteral("版本 %1.%2.%3").arg(VersionMajor).arg(VersionMinor).arg(VersionRevision));
    m_lblTitle->setText(title);
}

void frmAbout::FitDescription() {
    // The safety warning must be readable whole: where the dialog font cannot
    // fit it into the label's box, step down to the largest size that does.
    QFont font = m_lblDescription->font();
    while (m_lblDescription->heightForWidth(m_lblDescription->width()) >
               m_lblDescription->height() &&
           font.pointSizeF() - 0.5 >= kMinimumPointSize) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        m_lblDescription->setFont(font);
    }
}

void frmAbout::StartSystemInformation() {
    MessageBoxMessenger messenger(this);
    StartSysInfo(platform::SystemServices(), messenger);
}

}  // namespace quendal::ui
