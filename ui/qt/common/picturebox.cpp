#include "picturebox.h"

#include <QImageReader>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace quendal::ui {

PictureBox::PictureBox(const QString& resource, const QRect& geometry, QWidget* parent)
    : QLabel(parent) {
    setGeometry(geometry);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The picture may be far larger than the box: decode only the part it shows.
    QImageReader reader(resource);
    reader.setClipRect(
        QRect(QPoint(0, 0), geometry.size()).intersected(QRect(QPoint(0, 0), reader.size())));
    setPixmap(QPixmap::fromImage(reader.read()));
}

void PictureBox::paintEvent(QPaintEvent* event) {
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
