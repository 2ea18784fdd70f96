#include "appsetup.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

#include "appinfo.h"

namespace quendal::ui {

void SetUpApplication(QApplication& app) {
    QApplication::setApplicationName(QString::fromUtf8(AppTitle));
    QApplication::setApplicationVersion(QString::fromUtf8(VersionText));
    QApplication::setOrganizationName(QString::fromUtf8(MakerName));
    // Wayland ties the window to its desktop entry (name, icon) by this id.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(DesktopId));
    app.setWindowIcon(QIcon(QStringLiteral(":/quendal-32.png")));

    // fontconfig would match the unknown family to a sans font; name the
    // serif CJK families that can stand in for it.
    QFont::insertSubstitutions(
        QString::fromUtf8(kSongFamily),
        {QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
         QStringLiteral("Source Han Serif SC"), QStringLiteral("AR PL UMing CN")});
}

}  // namespace quendal::ui
