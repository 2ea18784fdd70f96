#include "announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QtGlobal>

namespace quendal::ui {

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)

void Announcer::Announce(QWidget* source, const QString& text) {
    if (text.isEmpty()) return;                               // a cleared report has nothing to say
    QAccessibleAnnouncementEvent announcement(source, text);  // polite by default
    QAccessible::updateAccessibility(&announcement);
}

#else

namespace {

// Qt 6.4 has no announcements, and its AT-SPI events for a changed
// description carry the object where Orca expects the new text, so Orca
// cannot speak those. What Orca (and other AT-SPI readers) speak away from
// the focus is a notification coming into view: this widget draws nothing,
// takes no input, and is shown anew with each text as its name.
class Notice final : public QWidget {
public:
    explicit Notice(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("notice"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setFixedSize(0, 0);
    }
};

QAccessibleInterface* NoticeInterface(const QString&, QObject* object) {
    if (auto* notice = dynamic_cast<Notice*>(object)) {
        return new QAccessibleWidget(notice, QAccessible::Notification);
    }
    return nullptr;
}

}  // namespace

void Announcer::Announce(QWidget* source, const QString& text) {
    if (text.isEmpty()) return;  // a cleared report has nothing to say
    if (m_notice == nullptr) {
        static const bool installed = (QAccessible::installFactory(NoticeInterface), true);
        Q_UNUSED(installed);
        m_notice = new Notice(source->window());
    }
    m_notice->hide();
    m_notice->setAccessibleName(text);
    m_notice->show();
}

#endif

}  // namespace quendal::ui
