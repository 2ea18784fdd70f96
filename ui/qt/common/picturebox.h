#pragma once
// A picture box: a built-in picture drawn at natural size from the top-left
// corner and clipped to the box. One that takes focus shows a focus frame
// when it has it, so keyboard users can see where they are.

#include <QLabel>

namespace quendal::ui {

class PictureBox : public QLabel {
public:
    // `resource` names a picture built into the program (":/circuit.jpg").
    PictureBox(const QString& resource, const QRect& geometry, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quendal::ui
