#include "messageboxmessenger.h"

#include <QMessageBox>
#include <QPushButton>

#include "appinfo.h"

namespace quendal::ui {

void MessageBoxMessenger::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(AppTitle), QString::fromStdString(text),
                    QMessageBox::NoButton, m_parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

}  // namespace quendal::ui
