// Quendal starts straight into its main window; there is nothing else to do
// before the event loop runs.

#include "application.h"
#include "form1.h"

int main(int argc, char* argv[]) {
    quendal::ui::Application app(argc, argv);
    quendal::ui::Form1 window;
    window.show();
    return quendal::ui::Application::exec();
}
