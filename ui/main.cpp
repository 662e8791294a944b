// Kvarlen: the desktop workbench. Starts the three windows and runs the message loop until
// the main window closes.
#include "ui/Program.h"
#include "ui/common/Messages.h"

#include <QApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kvarlen::SetUpApplication();
    kvarlen::RouteEngineMessages();
    // A file size limit makes a write fail (and the message box say so) instead of killing us.
    std::signal(SIGXFSZ, SIG_IGN);

    kvarlen::TProgram program;
    program.Form1.show();

    // --screenshot <folder>: pictures of every page and of the picker, then quit.
    const QStringList args = QApplication::arguments();
    const int shot = static_cast<int>(args.indexOf("--screenshot"));
    if (shot >= 0) {
        if (shot + 1 >= args.size()) {
            std::fprintf(stderr, "--screenshot needs a folder\n");
            return 2;
        }
        QApplication::processEvents();
        return kvarlen::SaveScreenshots(program, args[shot + 1]) ? 0 : 1;
    }
    return QApplication::exec();
}
