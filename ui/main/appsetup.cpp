#include "appsetup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>

#include <thread>

#if QUENDAL_HAS_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

#include "appinfo.h"

namespace quendal::ui {

namespace {

std::thread fontConfigLoader;

void WaitForFontConfig() {
    if (fontConfigLoader.joinable()) fontConfigLoader.join();
}

}  // namespace

FontConfigPreload::FontConfigPreload() {
#if QUENDAL_HAS_FONTCONFIG
    fontConfigLoader = std::thread([] { FcInit(); });
#endif
}

FontConfigPreload::~FontConfigPreload() { WaitForFontConfig(); }

void SetUpApplication(QApplication& app) {
    WaitForFontConfig();
    QApplication::setApplicationName(QString::fromUtf8(AppTitle));
    QApplication::setApplicationVersion(QString::fromUtf8(VersionText));
    QApplication::setOrganizationName(QString::fromUtf8(MakerName));
    // Wayland ties the window to its desktop entry (name, icon) by this id.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(DesktopId));
    app.setWindowIcon(QIcon(QStringLiteral(":/quendal-32.png")));

    // Subsets of Noto CJK holding just the program's own characters
    // (assets/fonts): the system's CJK collections cost over a quarter of the
    // start-up and 10 MB to look up and open. What a user types in other
    // scripts still comes from the system's fonts.
    for (const char* file : {":/fonts/QuendalSerif-Regular.otf", ":/fonts/QuendalSerif-Bold.otf",
                             ":/fonts/QuendalSans-Regular.otf"}) {
        QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    }

    // The dialog font: the platform's size, in the embedded sans.
    QFont font = QApplication::font();
    font.setFamilies({QString::fromLatin1(kSansFamily)});
    QApplication::setFont(font);
}

QString SongFamily() {
#ifdef Q_OS_WIN
    // Asking for a family that is not installed makes Qt search the system's
    // fonts for a stand-in: ask for 宋体 only where it is.
    static const QString family = QFontDatabase::hasFamily(QString::fromUtf8(kSongFamily))
                                      ? QString::fromUtf8(kSongFamily)
                                      : QString::fromLatin1(kSerifFamily);
    return family;
#else
    return QString::fromLatin1(kSerifFamily);
#endif
}

}  // namespace quendal::ui
