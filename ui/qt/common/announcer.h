#pragma once
// Tells screen readers a text that appears away from the focus, such as a new
// result while the focus stays on the button that asked for it.

#include <QPointer>
#include <QString>
#include <QWidget>

namespace quendal::ui {

class Announcer {
public:
    // Says the text once, politely (after what the reader is saying), as
    // coming from the source, the control that shows it.
    void Announce(QWidget* source, const QString& text);

private:
    // Before Qt 6.8: made in the source's window at the first announcement.
    QPointer<QWidget> m_notice;
};

}  // namespace quendal::ui
