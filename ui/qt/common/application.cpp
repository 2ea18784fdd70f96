#include "application.h"

#include <QFont>
#include <QFontDatabase>
#include <QIcon>

#include "appinfo.h"

namespace quendal::ui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    FontConfigPreload::Wait();
    setApplicationName(QString::fromUtf8(AppTitle));
    setApplicationVersion(QString::fromUtf8(VersionText));
    setOrganizationName(QString::fromUtf8(MakerName));
    // Wayland ties the window to its desktop entry (name, icon) by this id.
    setDesktopFileName(QString::fromUtf8(DesktopId));
    setWindowIcon(ProgramIcon());

    // Subsets of Noto CJK holding just the program's own characters
    // (assets/fonts): the system's CJK collections cost over a quarter of the
    // start-up and 10 MB to look up and open. What a user types in other
    // scripts still comes from the system's fonts.
    for (const char* file : {":/fonts/QuendalSerif-Regular.otf", ":/fonts/QuendalSerif-Bold.otf",
                             ":/fonts/QuendalSans-Regular.otf"}) {
        QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    }

    // The dialog font: the platform's size, in the embedded sans.
    QFont dialogFont = font();
    dialogFont.setFamilies({QString::fromLatin1(kSansFamily)});
    setFont(dialogFont);
}

QString SongFamily() { return QString::fromLatin1(kSerifFamily); }

QIcon ProgramIcon() {
    QIcon icon;
    // The 32-pixel design at 100 % to 300 % (assets/make-icon.py).
    for (const int size : {32, 40, 48, 56, 64, 72, 80, 96}) {
        icon.addFile(QStringLiteral(":/quendal-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace quendal::ui
