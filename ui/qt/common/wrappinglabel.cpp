#include "wrappinglabel.h"

#include <QPainter>
#include <QStyle>

#include <limits>

namespace quendal::ui {

int WrappingLabel::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const QRect room(0, 0, width - margins.left() - margins.right(),
                     std::numeric_limits<int>::max() / 2);
    return fontMetrics().boundingRect(room, kTextFlags, text()).height() + margins.top() +
           margins.bottom();
}

void WrappingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), kTextFlags, palette(), isEnabled(), text(),
                          foregroundRole());
}

}  // namespace quendal::ui
