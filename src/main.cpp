// The tavrel program: puts the parts together, shows the main window and runs
// the message loop until Exit, the close box, a log-off or SIGTERM.
#include <QApplication>
#include <memory>

#include "ficha.h"
#include "help_viewer.h"
#include "message_boxes.h"
#include "null_desktop.h"
#include "platform/posix/program_directory.h"
#include "platform/x11/x11_backend.h"
#include "program.h"
#include "session_end.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The application's title; no display name, which X11 would append to
    // every window caption.
    QApplication::setApplicationName(QStringLiteral("Tavrel"));
    // In running mode the window is hidden and only the tray icon remains.
    QApplication::setQuitOnLastWindowClosed(false);

    tavrel::X11Backend::OpenResult x11 = tavrel::X11Backend::Open();
    if (x11.backend) {
        // Waits for the window manager must not freeze the window, the
        // serial port or the timers.
        x11.backend->setMessagePump([] { QCoreApplication::processEvents(); });
    }
    tavrel::NullInput noInput;
    tavrel::NullDesktop noDesktop;
    tavrel::NullSound noSound;
    const tavrel::DesktopParts desktop =
        x11.backend ? tavrel::DesktopParts{x11.backend->input(), x11.backend->desktop(),
                                           x11.backend->sound()}
                    : tavrel::DesktopParts{noInput, noDesktop, noSound};

    tavrel::QtMessageBoxes boxes;
    tavrel::BrowserHelpViewer help(tavrel::DefaultHelpIndex());
    auto program = std::make_unique<tavrel::Program>(tavrel::ProgramDirectory().string(), desktop,
                                                     boxes, help);
    boxes.setParent(&program->Ficha());
    if (!x11.problem.empty()) {
        // Told once; the program goes on without keystrokes or window actions.
        boxes.Error(QStringLiteral("Tavrel"), QString::fromStdString(x11.problem));
    }

    tavrel::InstallSessionEnd(app, [] { QCoreApplication::exit(0); });
    program->Ficha().show();
    const int code = QApplication::exec();
    program.reset();  // closes the port and removes the tray icon before the desktop goes
    return code;
}
