#include "frmabout.h"

#include <QLabel>
#include <QPushButton>

#include "messageboxmessenger.h"
#include "sysinfo.h"

namespace quendal::ui {

namespace {

// The smallest size the description may shrink to; below it the text would
// no longer be readable.
constexpr qreal kMinimumPointSize = 6.0;

}  // namespace

frmAbout::frmAbout()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      m_controls(forms::frmAbout(), this) {
    const forms::Form& form = forms::frmAbout();
    setObjectName(FormWidgets::Text(form.name));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromStdString(form.caption));
    setFixedSize(FormWidgets::Geometry({0, 0, form.clientWidth, form.clientHeight}).size());

    // Enter presses the default button; Esc rejects the dialog, which closes
    // it as 确定 does.
    connect(m_controls.Get<QPushButton>("cmdOK"), &QPushButton::clicked, this, &QDialog::accept);
    connect(m_controls.Get<QPushButton>("cmdSysInfo"), &QPushButton::clicked, this,
            &frmAbout::StartSystemInformation);

    Load();
    FitDescription();
}

void frmAbout::Load() {
    const forms::AboutTexts texts = forms::LoadAbout();
    setWindowTitle(QString::fromStdString(texts.caption));
    m_controls.Get<QLabel>("lblVersion")->setText(QString::fromStdString(texts.version));
    m_controls.Get<QLabel>("lblTitle")->setText(QString::fromStdString(texts.title));
}

void frmAbout::FitDescription() {
    // The safety warning must be readable whole: where the dialog font cannot
    // fit it into the label's box, step down to the largest size that does.
    auto* description = m_controls.Get<QLabel>("lblDescription");
    QFont font = description->font();
    while (description->heightForWidth(description->width()) > description->height() &&
           font.pointSizeF() - 0.5 >= kMinimumPointSize) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        description->setFont(font);
    }
}

void frmAbout::StartSystemInformation() {
    MessageBoxMessenger messenger(this);
    StartSysInfo(platform::SystemServices(), messenger);
}

}  // namespace quendal::ui
