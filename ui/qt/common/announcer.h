#pragma once
// Tells screen readers a text that appears away from the focus, such as a new
// result while the focus stays on the button that asked for it.

#include <QPointer>
#include <QString>
#include <QWidget>

namespace quendal::ui {

class Announcer {
public:
    // The window the texts belong to; it must outlive the announcer.
    explicit Announcer(QWidget* window) : m_window(window) {}

    // Says the text once, politely (after what the reader is saying), as
    // coming from the source, the control that shows it.
    void Announce(QWidget* source, const QString& text);

private:
    QWidget* m_window;
    QPointer<QWidget> m_notice;  // before Qt 6.8: made at the first announcement
};

}  // namespace quendal::ui
