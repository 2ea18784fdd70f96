// The floor the program's start-up is measured against: an empty main window
// of the program's size (client 405 × 330 plus the menu bar) whose menu bar
// has one item, "a". Only Latin text, no pictures, no fonts of its own.
//   barewindow                           start and wait, like the program
//   barewindow --exit-after-first-paint  end once the window is painted

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

#include "firstpaint.h"

int main(int argc, char* argv[]) {
    const bool exitAfterPaint = quendal::bench::HasOption(argc, argv, "--exit-after-first-paint");
    QApplication app(argc, argv);

    QMainWindow window;
    window.menuBar()->addAction(QStringLiteral("a"));
    window.resize(405, 330 + window.menuBar()->sizeHint().height());
    if (exitAfterPaint) new quendal::bench::AfterNextPaint(&window, quendal::bench::ExitNow);
    window.show();
    return app.exec();
}
