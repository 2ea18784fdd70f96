#pragma once
// A form description (ui/forms) built as Qt widgets on a window's client
// area: each control at its place, named after the description, with its
// caption, font, colour and tooltip, labels as buddies of their boxes, and
// the tab order of the description. Both windows build themselves with it.

#include <QString>
#include <QWidget>

#include <string_view>
#include <vector>

#include "formdescription.h"

namespace quendal::ui {

class FormWidgets {
public:
    FormWidgets(const forms::Form& form, QWidget* client);

    // The control of that name, as the type it was built as (QLineEdit,
    // QLabel, QPushButton, PictureBox); the program stops when the
    // description has no such control or it is of another type, both faults
    // of the program.
    template <typename T>
    T* Get(std::string_view name) const {
        T* widget = qobject_cast<T*>(Widget(name));
        if (widget == nullptr)
            qFatal("%s is not a %s", Text(name).toUtf8().constData(),
                   T::staticMetaObject.className());
        return widget;
    }

    // Gives the labels and lines of set colours (black text, the separator's
    // grey and white) those colours where the window's theme is light, and
    // the theme's own where it is dark. Built so; the window calls it again
    // when its palette changes.
    void FollowPalette();

    // At 96 dpi; Qt scales device-independent pixels with the screen.
    static QRect Geometry(const forms::TwipsRect& rect);
    static QString Text(std::string_view utf8);

private:
    QWidget* Widget(std::string_view name) const;

    const forms::Form& m_form;
    QWidget* m_client;
    std::vector<QWidget*> m_lines;  // the strokes of the form's lines, in its order
};

}  // namespace quendal::ui
