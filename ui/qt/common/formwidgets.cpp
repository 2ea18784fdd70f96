#include "formwidgets.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

#include "application.h"
#include "picturebox.h"
#include "wrappinglabel.h"

namespace quendal::ui {

namespace {

constexpr int kDesignDpi = 96;

// Every control's font in full: a desktop font of another size would not fit
// the form's fixed places.
QFont FormFont(forms::FontFace face) {
    if (face == forms::FontFace::Dialog) {
        QFont font(QString::fromLatin1(kSansFamily));
        font.setPointSizeF(forms::kDialogPointSize);
        return font;
    }
    QFont font(SongFamily());
    font.setPointSizeF(forms::kSongPointSize);
    font.setBold(face == forms::FontFace::SongBold);
    return font;
}

QWidget* Build(const forms::Control& control, QWidget* client) {
    const QString caption = FormWidgets::Text(control.caption);
    const QRect geometry = FormWidgets::Geometry(control.rect);
    QWidget* widget = nullptr;
    switch (control.kind) {
        case forms::ControlKind::TextBox: {
            auto* box = new QLineEdit(caption, client);
            box->setMaxLength(std::numeric_limits<int>::max());
            widget = box;
            break;
        }
        case forms::ControlKind::Label: {
            auto* label =
                control.wordWrap ? new WrappingLabel(caption, client) : new QLabel(caption, client);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(control.wordWrap);
            widget = label;
            break;
        }
        case forms::ControlKind::Button: {
            auto* button = new QPushButton(caption, client);
            // Enter presses the focused button, as on Windows; the default
            // button takes it only when the focus is on something else.
            button->setAutoDefault(true);
            button->setDefault(control.isDefault);
            widget = button;
            break;
        }
        case forms::ControlKind::PictureBox:
        case forms::ControlKind::IconBox:
            widget = new PictureBox(control.picture, geometry, client);
            break;
    }
    widget->setObjectName(FormWidgets::Text(control.name));
    widget->setGeometry(geometry);
    widget->setFont(FormFont(control.font));
    widget->setFocusPolicy(control.tabStop ? Qt::StrongFocus : Qt::NoFocus);
    if (!control.hint.empty()) {
        // Qt would give the tooltip as the description too, but only while
        // there is one: the unit is the box's description in its own right.
        widget->setToolTip(FormWidgets::Text(control.hint));
        widget->setAccessibleDescription(FormWidgets::Text(control.hint));
    }
    if (!control.accessibleName.empty())
        widget->setAccessibleName(FormWidgets::Text(control.accessibleName));
    return widget;
}

// A straight line of a separator: a plain horizontal frame line as thick as
// the frame, drawn in its foreground colour (FollowPalette).
QFrame* Build(const forms::Line& line, QWidget* client) {
    auto* frame = new QFrame(client);
    frame->setObjectName(FormWidgets::Text(line.name));
    frame->setFrameShape(QFrame::HLine);
    frame->setFrameShadow(QFrame::Plain);
    frame->setLineWidth(line.widthPixels);
    const int left = forms::TwipsToPixels(line.x1, kDesignDpi);
    frame->setGeometry(left, forms::TwipsToPixels(line.y, kDesignDpi),
                       forms::TwipsToPixels(line.x2, kDesignDpi) - left + 1, line.widthPixels);
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

forms::Rgb RgbOf(const QColor& colour) {
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}

// The colour a line is drawn in: its designed grey or white on a light
// theme, the theme's own shadow and light edge on a dark one.
QColor StrokeColour(const forms::Line& line, const QPalette& palette, bool designed) {
    if (designed) return {line.colour.red, line.colour.green, line.colour.blue};
    const bool shadow = line.colour.red + line.colour.green + line.colour.blue < 3 * 192;
    return palette.color(shadow ? QPalette::Mid : QPalette::Light);
}

}  // namespace

FormWidgets::FormWidgets(const forms::Form& form, QWidget* client)
    : m_form(form), m_client(client) {
    QWidget* previousStop = nullptr;
    for (const forms::Control& control : form.controls) {
        QWidget* widget = Build(control, client);
        if (control.tabStop) {
            if (previousStop != nullptr) QWidget::setTabOrder(previousStop, widget);
            previousStop = widget;
        }
    }
    for (const forms::Line& line : form.lines) m_lines.push_back(Build(line, client));
    // A label names the box it stands for: Alt+its key and screen readers.
    for (const forms::Control& control : form.controls) {
        if (!control.labelFor.empty()) {
            Get<QLabel>(control.name)->setBuddy(Widget(control.labelFor));
        }
    }
    FollowPalette();
}

void FormWidgets::FollowPalette() {
    const QPalette& palette = m_client->palette();
    // The design's black text and grey and white lines are for a light theme,
    // whose text is dark; on a dark or high-contrast one they would vanish.
    const bool designed = forms::IsLightTheme(RgbOf(palette.color(QPalette::WindowText)),
                                              RgbOf(palette.color(QPalette::Window)));
    for (const forms::Control& control : m_form.controls) {
        if (control.colour != forms::TextColour::Black) continue;
        QWidget* label = Widget(control.name);
        QPalette own = palette;
        if (designed) own.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(own);
    }
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        QPalette own = palette;
        own.setColor(QPalette::WindowText, StrokeColour(m_form.lines[i], palette, designed));
        m_lines[i]->setPalette(own);
    }
}

QWidget* FormWidgets::Widget(std::string_view name) const {
    m_form.Find(name);  // stops the program: the name is not in the description
    return m_client->findChild<QWidget*>(Text(name), Qt::FindDirectChildrenOnly);
}

QRect FormWidgets::Geometry(const forms::TwipsRect& rect) {
    const forms::PixelRect pixels = forms::ToPixels(rect, kDesignDpi);
    return {pixels.left, pixels.top, pixels.width, pixels.height};
}

QString FormWidgets::Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace quendal::ui
