#include "formwidgets.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

#include "application.h"
#include "picturebox.h"

namespace quendal::ui {

namespace {

constexpr int kDesignDpi = 96;

QString Resource(forms::Picture picture) {
    switch (picture) {
        case forms::Picture::Circuit:
            return QStringLiteral(":/circuit.jpg");
        case forms::Picture::AppIcon:
            return QStringLiteral(":/quendal-32.png");
        case forms::Picture::None:
            break;
    }
    return {};
}

QFont SongFont(forms::FontFace face) {
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
            auto* label = new QLabel(caption, client);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(control.wordWrap);
            if (control.colour == forms::TextColour::Black) {
                QPalette palette = label->palette();
                palette.setColor(QPalette::WindowText, Qt::black);
                label->setPalette(palette);
            }
            widget = label;
            break;
        }
        case forms::ControlKind::Button: {
            auto* button = new QPushButton(caption, client);
            // Only the default button answers Enter, in a dialog; a main
            // window has none.
            button->setAutoDefault(control.isDefault);
            button->setDefault(control.isDefault);
            widget = button;
            break;
        }
        case forms::ControlKind::PictureBox:
            widget = new PictureBox(Resource(control.picture), geometry, client);
            break;
        case forms::ControlKind::IconBox: {
            auto* icon = new QLabel(client);
            icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            icon->setPixmap(QPixmap(Resource(control.picture)));
            widget = icon;
            break;
        }
    }
    widget->setObjectName(FormWidgets::Text(control.name));
    widget->setGeometry(geometry);
    // Everything else keeps the dialog font it inherits.
    if (control.font != forms::FontFace::Dialog) widget->setFont(SongFont(control.font));
    widget->setFocusPolicy(control.tabStop ? Qt::StrongFocus : Qt::NoFocus);
    if (!control.hint.empty()) widget->setToolTip(FormWidgets::Text(control.hint));
    if (!control.accessibleName.empty())
        widget->setAccessibleName(FormWidgets::Text(control.accessibleName));
    return widget;
}

// A straight line of a separator, filled with its colour.
QWidget* Build(const forms::Line& line, QWidget* client) {
    auto* widget = new QWidget(client);
    widget->setObjectName(FormWidgets::Text(line.name));
    const int left = forms::TwipsToPixels(line.x1, kDesignDpi);
    widget->setGeometry(left, forms::TwipsToPixels(line.y, kDesignDpi),
                        forms::TwipsToPixels(line.x2, kDesignDpi) - left + 1, line.widthPixels);
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window,
                     QColor(line.colour.red, line.colour.green, line.colour.blue));
    widget->setPalette(palette);
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    return widget;
}

}  // namespace

FormWidgets::FormWidgets(const forms::Form& form, QWidget* client) : m_form(form) {
    QWidget* previousStop = nullptr;
    for (const forms::Control& control : form.controls) {
        QWidget* widget = Build(control, client);
        m_widgets.emplace_back(control.name, widget);
        if (control.tabStop) {
            if (previousStop != nullptr) QWidget::setTabOrder(previousStop, widget);
            previousStop = widget;
        }
    }
    for (const forms::Line& line : form.lines)
        m_widgets.emplace_back(line.name, Build(line, client));
    // A label names the box it stands for: Alt+its key and screen readers.
    for (const forms::Control& control : form.controls) {
        if (!control.labelFor.empty()) {
            Get<QLabel>(control.name)->setBuddy(Widget(control.labelFor));
        }
    }
}

QWidget* FormWidgets::Widget(std::string_view name) const {
    for (const auto& [widgetName, widget] : m_widgets) {
        if (widgetName == name) return widget;
    }
    m_form.Find(name);  // stops the program: the name is not in the description
    return nullptr;
}

QRect FormWidgets::Geometry(const forms::TwipsRect& rect) {
    const forms::PixelRect pixels = forms::ToPixels(rect, kDesignDpi);
    return {pixels.left, pixels.top, pixels.width, pixels.height};
}

QString FormWidgets::Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace quendal::ui
