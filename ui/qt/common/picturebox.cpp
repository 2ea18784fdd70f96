#include "picturebox.h"

#include <QDir>
#include <QImageReader>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <algorithm>
#include <cmath>
#include <vector>

#include "application.h"

namespace quendal::ui {

namespace {

constexpr int kDesignDpi = 96;

// The DPIs the circuit was made for: 96, its JPEG, and those of the bitmaps
// in :/circuit (assets/circuit/circuit-<dpi>.png).
const std::vector<int>& CircuitDpis() {
    static const std::vector<int> dpis = [] {
        std::vector<int> found{kDesignDpi};
        for (const QString& name :
             QDir(QStringLiteral(":/circuit")).entryList({QStringLiteral("circuit-*.png")})) {
            found.push_back(name.mid(8, name.size() - 12).toInt());
        }
        std::sort(found.begin(), found.end());
        return found;
    }();
    return dpis;
}

}  // namespace

PictureBox::PictureBox(forms::Picture picture, const QRect& geometry, QWidget* parent)
    : QLabel(parent), m_picture(picture) {
    setGeometry(geometry);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_ratio = devicePixelRatioF();
    setPixmap(Drawn(m_ratio));
}

QPixmap PictureBox::Drawn(qreal ratio) const {
    const QSize device(qRound(width() * ratio), qRound(height() * ratio));
    if (m_picture == forms::Picture::AppIcon) {
        return ProgramIcon().pixmap(QSize(forms::kAppIconPixels, forms::kAppIconPixels), ratio);
    }
    const int dpi = static_cast<int>(std::lround(kDesignDpi * ratio));
    const int source = forms::ChooseSourceDpi(CircuitDpis(), dpi);
    QImage image;
    if (source == kDesignDpi) {
        // The JPEG is far larger than the box: decode only the part it shows.
        QImageReader reader(QStringLiteral(":/circuit.jpg"));
        const QSize shown = size().boundedTo(reader.size());
        reader.setClipRect(QRect(QPoint(0, 0), shown));
        image = reader.read();
    } else {
        image = QImage(QStringLiteral(":/circuit/circuit-%1.png").arg(source));
    }
    if (source != dpi) {
        // Made for another scale: the same part of the drawing, to the box.
        image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

void PictureBox::paintEvent(QPaintEvent* event) {
    if (devicePixelRatioF() != m_ratio) {  // moved to a screen of another scale
        m_ratio = devicePixelRatioF();
        setPixmap(Drawn(m_ratio));
    }
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
