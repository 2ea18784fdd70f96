#pragma once
// An etched separator: a grey line with a two-pixel white line just below
// and one pixel to the right of it.

#include <QWidget>

namespace quendal::ui {

class EtchedLine : public QWidget {
public:
    // From (left, top) to (right, top), in device-independent pixels.
    EtchedLine(int left, int top, int right, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quendal::ui
