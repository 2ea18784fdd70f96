#include "programstyle.h"

#include <QIconEngine>

#include <optional>

namespace quendal::ui {

namespace {

// A standard icon of a style, asked of the style at its first use.
class DeferredStandardIcon : public QIconEngine {
public:
    DeferredStandardIcon(const QStyle* style, QStyle::StandardPixmap icon)
        : m_style(style), m_icon(icon) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Icon().availableSizes(mode, state);
    }
    bool isNull() override { return Icon().isNull(); }
    QString key() const override { return QStringLiteral("quendal.deferred"); }
    QIconEngine* clone() const override {
        auto* copy = new DeferredStandardIcon(m_style, m_icon);
        copy->m_made = m_made;
        return copy;
    }

private:
    const QIcon& Icon() {
        // The style outlives the application's widgets and their icons.
        if (!m_made) m_made = m_style->standardIcon(m_icon);
        return *m_made;
    }

    const QStyle* m_style;
    QStyle::StandardPixmap m_icon;
    std::optional<QIcon> m_made;
};

}  // namespace

ProgramStyle::ProgramStyle(QStyle* fusion) : QProxyStyle(fusion) {}

QIcon ProgramStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    // Fusion draws these two from the direction of the option, or else of the
    // application; a widget's option may be gone by the first use.
    if (option == nullptr && (icon == SP_ToolBarHorizontalExtensionButton ||
                              icon == SP_ToolBarVerticalExtensionButton)) {
        return QIcon(new DeferredStandardIcon(baseStyle(), icon));
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

}  // namespace quendal::ui
