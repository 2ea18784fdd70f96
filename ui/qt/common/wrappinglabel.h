#pragma once
// A label whose text wraps within its width: at a space where there is one,
// between any two characters where a word is wider than the label (a long
// number in the report), so that no line is cut off at the label's edge.
// QLabel's own word wrap never breaks a word.

#include <QLabel>

namespace quendal::ui {

class WrappingLabel : public QLabel {
public:
    using QLabel::QLabel;

    // How the text is laid out, for QPainter::drawText and
    // QFontMetrics::boundingRect alike.
    static constexpr int kTextFlags =
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextWrapAnywhere;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quendal::ui
