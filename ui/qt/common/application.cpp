#include "application.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QResource>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

#include "appinfo.h"
#include "formdescription.h"
#include "programstyle.h"

namespace quendal::ui {

namespace {

#if QT_CONFIG(xcb)
xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// The X startup notification's "remove" message: the launcher stops its busy
// cursor or bouncing icon. The text, with its closing NUL, goes to the root
// window 20 bytes a client message, the first typed _NET_STARTUP_INFO_BEGIN
// and the rest _NET_STARTUP_INFO, as Qt's own connection sends it.
void SendStartupRemove(xcb_connection_t* connection, const std::string& id) {
    const std::string message = "remove: ID=" + id;
    const xcb_atom_t begin = Atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = Atom(connection, "_NET_STARTUP_INFO");
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::size_t length = message.size() + 1;
    for (std::size_t sent = 0; sent < length; sent += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = root;
        event.type = sent == 0 ? begin : more;
        std::memcpy(event.data.data8, message.c_str() + sent,
                    std::min<std::size_t>(20, length - sent));
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection);
}
#endif

// The 32-pixel design at 100 % to 300 % (assets/make-icon.py).
constexpr int kIconSizes[] = {32, 40, 48, 56, 64, 72, 80, 96};

char kStyleOption[] = "-style";
char kFusion[] = "fusion";

}  // namespace

FusionArguments::FusionArguments(int argc, char** argv)
    : m_argc(argc + 2), m_argv(argv, argv + argc) {
    m_argv.insert(m_argv.end(), {kStyleOption, kFusion, nullptr});
}

Application::Application(int& argc, char** argv)
    : FusionArguments(argc, argv), QApplication(m_argc, m_argv.data()) {
    // What Qt left, its own options taken out (ours among them), goes back to
    // the caller, as QApplication does with the arguments it is given.
    std::copy_n(m_argv.begin(), m_argc, argv);
    argv[m_argc] = nullptr;
    argc = m_argc;
    // A bare "-style" of the caller's, last, takes ours as its value.
    if (style()->name() != QLatin1String(kFusion)) setStyle(QLatin1String(kFusion));
    // Fusion itself, wrapped before any widget exists, so nothing is polished
    // twice (see ProgramStyle).
    setStyle(new ProgramStyle(style()));
    // Work that needs no fonts goes first, while fontconfig may still be
    // starting on its thread.
    setApplicationName(QString::fromUtf8(AppTitle));
    setApplicationVersion(QString::fromUtf8(VersionText));
    setOrganizationName(QString::fromUtf8(MakerName));
    // Wayland ties the window to its desktop entry (name, icon) by this id.
    setDesktopFileName(QString::fromUtf8(DesktopId));
    // The window's icon in the size for the largest scale of the screens;
    // desktops draw their launchers and task switchers from the desktop
    // entry's icons. Decoding every size would cost a tenth of the start-up
    // and 400 KB.
    setWindowIcon(ProgramIcon(devicePixelRatio()));
    FontConfigPreload::Wait();
    // The startup id was out of the environment while Qt connected to the
    // display (see FontConfigPreload), so the X11 connection did not see it:
    // once the window is up, the program tells the launcher itself.
    if (const std::string& id = StartupId(); !id.empty()) {
#if QT_CONFIG(xcb)
        if (auto* x11 = nativeInterface<QNativeInterface::QX11Application>()) {
            QTimer::singleShot(0, this, [connection = x11->connection(), id] {
                SendStartupRemove(connection, id);
            });
        } else
#endif
        {
            setenv("DESKTOP_STARTUP_ID", id.c_str(), 0);  // for whoever else reads it
        }
    }

    // Subsets of Noto CJK holding just the program's own characters
    // (assets/fonts): the system's CJK collections cost over a quarter of the
    // start-up and 10 MB to look up and open. What a user types in other
    // scripts still comes from the system's fonts.
    for (const char* file : {":/fonts/QuendalSerif-Regular.otf", ":/fonts/QuendalSerif-Bold.otf",
                             ":/fonts/QuendalSans-Regular.otf"}) {
        // The executable's own bytes, not copied (addApplicationFont reads a
        // resource into memory of its own), as the build stores them
        // uncompressed (ui/qt/CMakeLists.txt).
        const QResource font(QString::fromLatin1(file));
        QFontDatabase::addApplicationFontFromData(
            font.compressionAlgorithm() == QResource::NoCompression
                ? QByteArray::fromRawData(reinterpret_cast<const char*>(font.data()),
                                          static_cast<qsizetype>(font.size()))
                : font.uncompressedData());
    }

    // The dialog font: the platform's size, in the embedded sans.
    QFont dialogFont = font();
    dialogFont.setFamilies({QString::fromLatin1(kSansFamily)});
    setFont(dialogFont);
}

QString SongFamily() { return QString::fromLatin1(kSerifFamily); }

QIcon ProgramIcon(qreal devicePixelRatio) {
    // Drawn from the size made for the scale, or the next larger one, as the
    // pictures are.
    const int size =
        forms::ChooseSourceDpi(kIconSizes, qRound(forms::kAppIconPixels * devicePixelRatio));
    return QIcon(QPixmap::fromImage(ReadBuiltInPng(QStringLiteral(":/quendal-%1.png").arg(size))));
}

QImage ReadBuiltInPng(const QString& resource) {
    QImageReader reader(resource, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

}  // namespace quendal::ui
