#pragma once
// Controls at fixed positions, named after the layout's control names, as both
// windows build them: labels show plain text from their top-left corner.

#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace quendal::ui {

QLabel* AddPlacedLabel(QWidget* parent, const char* name, const QRect& geometry,
                       const QString& text);
QPushButton* AddPlacedButton(QWidget* parent, const char* name, const QRect& geometry,
                             const QString& caption);

}  // namespace quendal::ui
