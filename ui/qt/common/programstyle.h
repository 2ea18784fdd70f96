#pragma once
// The program's style: Fusion, with the extension buttons' icons of menu
// bars and tool bars made when they are first drawn instead of when the bar
// is made.
//
// Fusion reads those icons from PNG files by name, and Qt, before it uses
// its own PNG decoder on a file it was not told the format of, loads every
// image-format plugin on the system to ask each whether it knows the file:
// on a desktop with KDE's image formats that is a score of libraries (HEIF,
// AVIF, JPEG XL, ...) read at start-up for an icon that the program's menu
// bar, two items long, never shows.

#include <QProxyStyle>

namespace quendal::ui {

class ProgramStyle : public QProxyStyle {
public:
    // Takes over `fusion`, as QProxyStyle does.
    explicit ProgramStyle(QStyle* fusion);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override;
};

}  // namespace quendal::ui
