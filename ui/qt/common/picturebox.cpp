#include "picturebox.h"

#include <QEvent>
#include <QImage>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <cmath>

#include "application.h"

namespace quendal::ui {

namespace {

constexpr int kDesignDpi = 96;

// The DPIs of the bitmaps in :/circuit (assets/circuit/circuit-<dpi>.png),
// 96 among them: the build lists them.
constexpr int kCircuitDpis[] = {QUENDAL_CIRCUIT_DPIS};

}  // namespace

PictureBox::PictureBox(forms::Picture picture, const QRect& geometry, QWidget* parent)
    : QLabel(parent), m_picture(picture) {
    setGeometry(geometry);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ShowForRatio();
}

void PictureBox::ShowForRatio() {
    const qreal ratio = devicePixelRatioF();
    if (ratio == m_ratio) return;
    m_ratio = ratio;
    setPixmap(Drawn(ratio));
}

QPixmap PictureBox::Drawn(qreal ratio) const {
    if (m_picture == forms::Picture::AppIcon) {
        return ProgramIcon(ratio).pixmap(QSize(forms::kAppIconPixels, forms::kAppIconPixels),
                                         ratio);
    }
    const int dpi = static_cast<int>(std::lround(kDesignDpi * ratio));
    const int source = forms::ChooseSourceDpi(kCircuitDpis, dpi);
    QImage image = ReadBuiltInPng(QStringLiteral(":/circuit/circuit-%1.png").arg(source));
    if (source != dpi) {
        // Made for another scale: the same part of the drawing, to the box.
        const QSize device(qRound(width() * ratio), qRound(height() * ratio));
        image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

bool PictureBox::event(QEvent* event) {
    // The window went to a screen of another scale: Qt tells each widget,
    // since 6.6 by a ratio event of its own, before that by a screen change.
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    if (event->type() == QEvent::DevicePixelRatioChange) ShowForRatio();
#endif
    if (event->type() == QEvent::ScreenChangeInternal) ShowForRatio();
    return QLabel::event(event);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus()) {
        QStylePainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(1, 1, -1, -1);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

}  // namespace quendal::ui
