#pragma once
// A picture box: a built-in picture drawn at natural size from the top-left
// corner and clipped to the box, pixel for pixel at the screen's scale (from
// the bitmap made for that scale, never blown up from a smaller one), also
// after the window moves to a screen of another scale. One that takes focus
// shows a focus frame when it has it, so keyboard users can see where they are.

#include <QLabel>

#include "formdescription.h"

namespace quendal::ui {

class PictureBox : public QLabel {
    // A meta-object of its own, so that it can be found by its class: Qt 6.8
    // allows findChild and qobject_cast only for classes that have one.
    Q_OBJECT

public:
    PictureBox(forms::Picture picture, const QRect& geometry, QWidget* parent);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Shows the picture for the widget's device pixel ratio, unless shown.
    void ShowForRatio();
    // The picture for a device pixel ratio: the circuit's part the box shows,
    // or the program's icon, in as many device pixels as the box has.
    QPixmap Drawn(qreal ratio) const;

    forms::Picture m_picture;
    qreal m_ratio = 0;  // of the pixmap shown
};

}  // namespace quendal::ui
