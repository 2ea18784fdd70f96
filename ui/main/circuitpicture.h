#pragma once
// The reference circuit, drawn at natural size from the top-left corner and
// clipped to the box. It takes focus like a picture box and shows a focus
// frame when it has it, so keyboard users can see where they are.

#include <QLabel>

namespace quendal::ui {

class CircuitPicture : public QLabel {
public:
    CircuitPicture(const QRect& geometry, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quendal::ui
