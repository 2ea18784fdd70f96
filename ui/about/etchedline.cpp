#include "etchedline.h"

#include <QPainter>

namespace quendal::ui {

EtchedLine::EtchedLine(int left, int top, int right, QWidget* parent) : QWidget(parent) {
    setGeometry(left, top, right - left + 1, 3);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void EtchedLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(0, 0, width(), 1, QColor(128, 128, 128));
    painter.fillRect(1, 1, width() - 1, 2, Qt::white);
}

}  // namespace quendal::ui
