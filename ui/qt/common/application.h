#pragma once
// The program's QApplication: starts fontconfig early, then sets the name,
// version, icon and fonts. The program and its GUI tests both start through
// it, so the tests run the start-up that users get.

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QString>

#include <vector>

#include "fontconfigpreload.h"

namespace quendal::ui {

// The caller's arguments with Qt's own "-style fusion" after them. The last
// -style wins over any other and over QT_STYLE_OVERRIDE, so QApplication
// makes Fusion its one style: the form keeps the fixed pixel places of its
// design, which its texts are checked to fit in Fusion, and the desktop's
// style (Breeze, with other margins and frames) might not leave them room.
// Set after the constructor instead, Fusion would be a second style, and the
// window polished twice.
class FusionArguments {
protected:
    FusionArguments(int argc, char** argv);
    int m_argc;  // QApplication keeps a reference to both, and takes its own options out
    std::vector<char*> m_argv;
};

// FontConfigPreload comes first among the bases, so its thread is running
// before QApplication's constructor connects to the display.
class Application : private FontConfigPreload, private FusionArguments, public QApplication {
public:
    Application(int& argc, char** argv);
};

// The embedded fonts (assets/fonts): the serif stands in for 宋体, the sans
// is the dialog font.
inline constexpr char kSerifFamily[] = "Quendal Serif";
inline constexpr char kSansFamily[] = "Quendal Sans";

// The family of the 宋体 labels.
QString SongFamily();

// The program's icon, drawn at 32 pixels and at each size of the common
// scales (assets/quendal-<size>.png): the one for a scale, so that it is
// never blown up.
QIcon ProgramIcon(qreal devicePixelRatio);

// One of the program's own PNG pictures, read by Qt's PNG decoder as named:
// without the format, Qt first loads every image-format plugin on the system
// to ask each whether it knows the file.
QImage ReadBuiltInPng(const QString& resource);

}  // namespace quendal::ui
