#include "messageboxmessenger.h"

#include <QMessageBox>
#include <QPushButton>

#include "appinfo.h"

namespace quendal::ui {

void MessageBoxMessenger::ShowMessage(const std::string& text) {
    // On the heap: if the parent is deleted while the box runs its loop, the
    // parent deletes the box too, and the guard sees that.
    const QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::NoIcon, QString::fromUtf8(AppTitle),
                        QString::fromStdString(text), QMessageBox::NoButton, m_parent);
    box->setTextFormat(Qt::PlainText);
    QPushButton* ok = box->addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    box->exec();
    delete box.data();
}

}  // namespace quendal::ui
