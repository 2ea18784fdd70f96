// Quendal starts straight into its main window; there is nothing else to do
// before the event loop runs.

#include <QApplication>

#include "appinfo.h"
#include "appsetup.h"
#include "form1.h"

int main(int argc, char* argv[]) {
    const quendal::ui::FontConfigPreload fontConfig;
    QApplication app(argc, argv);
    quendal::ui::SetUpApplication(app);

    quendal::ui::Form1 window;
    window.show();
    return app.exec();
}
