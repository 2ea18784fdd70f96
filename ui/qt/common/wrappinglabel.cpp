#include "wrappinglabel.h"

#include <QPainter>
#include <QStyle>

#include "textlayout.h"

namespace quendal::ui {

QStringList WrappingLabel::Lines() const {
    const QByteArray utf8 = text().toUtf8();
    const QFontMetrics metrics = fontMetrics();
    const auto measure = [&metrics](std::string_view piece) {
        return metrics.horizontalAdvance(
            QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())));
    };
    QStringList lines;
    for (const std::string_view line :
         forms::WrapLines({utf8.constData(), static_cast<std::size_t>(utf8.size())},
                          contentsRect().width(), measure)) {
        lines << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    return lines;
}

void WrappingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect line = contentsRect();
    line.setHeight(fontMetrics().height());
    for (const QString& text : Lines()) {
        style()->drawItemText(&painter, line, Qt::AlignLeft | Qt::AlignTop, palette(), isEnabled(),
                              text, foregroundRole());
        line.translate(0, fontMetrics().lineSpacing());
    }
}

}  // namespace quendal::ui
