#include "placedcontrols.h"

#include <QLabel>
#include <QPushButton>

namespace quendal::ui {

QLabel* AddPlacedLabel(QWidget* parent, const char* name, const QRect& geometry,
                       const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* AddPlacedButton(QWidget* parent, const char* name, const QRect& geometry,
                             const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
}

}  // namespace quendal::ui
