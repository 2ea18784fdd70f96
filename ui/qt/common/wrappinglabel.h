#pragma once
// A label whose text wraps within its width as forms::WrapLines breaks it, the
// one rule of both front-ends: at a space or beside a Chinese character first,
// inside a word only where it is wider than the label (a long number in the
// report), so that no line is cut off at the label's edge and no number is
// split where a space allows a break. QLabel's own word wrap never breaks a
// word; Qt::TextWrapAnywhere breaks even where a space would do.

#include <QLabel>
#include <QStringList>

namespace quendal::ui {

class WrappingLabel : public QLabel {
    // A meta-object of its own, so that it can be found by its class: Qt 6.8
    // allows findChild and qobject_cast only for classes that have one.
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The lines as drawn: the text broken for the label's contents width in
    // its font, one line drawn below the other at the font's line spacing.
    QStringList Lines() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quendal::ui
