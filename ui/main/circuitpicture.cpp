#include "circuitpicture.h"

#include <QImageReader>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace quendal::ui {

CircuitPicture::CircuitPicture(const QRect& geometry, QWidget* parent) : QLabel(parent) {
    setGeometry(geometry);
    setFocusPolicy(Qt::StrongFocus);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAccessibleName(QStringLiteral("电路图"));

    // The image is far larger than the box: decode only the part it shows.
    QImageReader reader(QStringLiteral(":/circuit.jpg"));
    reader.setClipRect(
        QRect(QPoint(0, 0), geometry.size()).intersected(QRect(QPoint(0, 0), reader.size())));
    setPixmap(QPixmap::fromImage(reader.read()));
}

void CircuitPicture::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus()) {
        QStylePainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(1, 1, -1, -1);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

}  // namespace quendal::ui
