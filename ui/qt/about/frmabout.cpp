#include "frmabout.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include "messageboxmessenger.h"
#include "sysinfo.h"

namespace quendal::ui {

frmAbout::frmAbout()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      m_controls(forms::frmAbout(), this) {
    const forms::Form& form = forms::frmAbout();
    setObjectName(FormWidgets::Text(form.name));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromStdString(form.caption));
    setFixedSize(FormWidgets::Geometry({0, 0, form.clientWidth, form.clientHeight}).size());

    // Enter presses the focused button (确定 when the focus is elsewhere); Esc
    // rejects the dialog, which closes it as 确定 does.
    connect(m_controls.Get<QPushButton>("cmdOK"), &QPushButton::clicked, this, &QDialog::accept);
    connect(m_controls.Get<QPushButton>("cmdSysInfo"), &QPushButton::clicked, this,
            &frmAbout::StartSystemInformation);

    Load();
}

void frmAbout::Load() {
    const forms::AboutTexts texts = forms::LoadAbout();
    setWindowTitle(QString::fromStdString(texts.caption));
    m_controls.Get<QLabel>("lblVersion")->setText(QString::fromStdString(texts.version));
    m_controls.Get<QLabel>("lblTitle")->setText(QString::fromStdString(texts.title));
}

void frmAbout::changeEvent(QEvent* event) {
    // A new desktop theme, light or dark.
    if (event->type() == QEvent::PaletteChange) m_controls.FollowPalette();
    QDialog::changeEvent(event);
}

void frmAbout::StartSystemInformation() {
    MessageBoxMessenger messenger(this);
    StartSysInfo(platform::SystemServices(), messenger);
}

}  // namespace quendal::ui
