// The tavrel program: answers --help and --version, chooses how it reaches the
// desktop (Wayland or X11), makes sure no other Tavrel runs on that display,
// puts the parts together, shows the main window and runs the message loop
// until Exit, the close box, a log-off or SIGTERM.
#include <unistd.h>

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/desktop_backends.h"
#include "app/desktop_choice.h"
#include "app/null_desktop.h"
#include "app/program.h"
#include "app/qt_timer.h"
#include "app/session_end.h"
#include "app/single_instance.h"
#include "platform/posix/demo_setup.h"
#include "platform/posix/program_directory.h"
#include "platform/posix/stderr_trace.h"
#include "ui/ficha.h"
#include "ui/help_window.h"
#include "ui/message_boxes.h"

namespace {

int Answer(const tavrel::CommandLineAnswer& answer) {
    std::fputs(answer.out.c_str(), stdout);
    std::fputs(answer.err.c_str(), stderr);
    return answer.exitCode;
}

// Qt's X11 and Wayland platforms are the ones that would abort without a
// display; a platform chosen on purpose (offscreen for tests) runs on with
// the message box.
bool QtNeedsDisplay(int argc, char* argv[]) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) {
            platform = argv[i + 1];
        }
    }
    return platform == nullptr || *platform == '\0' || std::strncmp(platform, "xcb", 3) == 0 ||
           std::strncmp(platform, "wayland", 7) == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    // From the first line: a SIGTERM at any point of the start ends the
    // program as one in the message loop does, with everything cleaned up.
    tavrel::CatchTermination();
    const std::vector<std::string> arguments(argv, argv + argc);
    if (const auto answer = tavrel::AnswerInformationOptions(arguments); answer.exit) {
        return Answer(answer);
    }
    // Before any part exists, so that every event of the run is traced.
    const std::unique_ptr<tavrel::Trace> trace = tavrel::TraceFromEnvironment();
    tavrel::InstallTrace(trace.get());
    const tavrel::DesktopEnvironment environment = tavrel::ProbeDesktopEnvironment();
    tavrel::DesktopChoice chosen =
        tavrel::ChooseDesktop(environment, [&environment](tavrel::BackendKind kind) {
            return tavrel::OpenDesktopBackend(kind, environment);
        });
    // Without a display Qt still takes its own options out of the arguments,
    // on a platform that needs none, so that a wrong argument is told as such.
    const bool noDisplay = !chosen.backend && QtNeedsDisplay(argc, argv);
    std::vector<char*> qtArguments(argv, argv + argc);
    char platformOption[] = "-platform";
    char offscreen[] = "offscreen";
    if (noDisplay) {
        qtArguments.insert(qtArguments.end(), {platformOption, offscreen});
        // The one line below is all that such a start says.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    }
    int qtArgumentCount = static_cast<int>(qtArguments.size());
    qtArguments.push_back(nullptr);

    QApplication app(qtArgumentCount, qtArguments.data());
    // The application's title; no display name, which X11 would append to
    // every window caption.
    QApplication::setApplicationName(QStringLiteral("Tavrel"));
    QApplication::setDesktopFileName(QStringLiteral("org.tavrel.Tavrel"));
    // In running mode the window is hidden and only the tray icon remains.
    QApplication::setQuitOnLastWindowClosed(false);
    std::vector<std::string> left;
    for (const QString& argument : QCoreApplication::arguments()) {
        left.push_back(argument.toStdString());
    }
    if (const auto answer = tavrel::RejectLeftoverArguments(left); answer.exit) {
        return Answer(answer);
    }
    if (noDisplay) {
        std::fputs(tavrel::NoDisplayMessage(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))
                       .c_str(),
                   stderr);
        return 1;
    }

    // The demo's receiver and directory outlive every part that uses them.
    std::unique_ptr<tavrel::DemoSetup> demo;
    if (tavrel::DemoRequested(arguments)) {
        std::string problem;
        demo = tavrel::DemoSetup::Start(tavrel::DemoSetup::DefaultRuntimeDirectory(), problem);
        if (!demo) {
            std::fprintf(stderr, "tavrel: the demo cannot start: %s\n", problem.c_str());
            return 1;
        }
        std::fputs(demo->Description().c_str(), stdout);
        std::fflush(stdout);
    }

    if (tavrel::TerminationRequested()) {
        return 0;
    }
    // A SIGTERM, or the session's end, before the program exists ends the
    // start; after, the program's own end.
    std::unique_ptr<tavrel::Program> program;
    bool endedEarly = false;
    tavrel::InstallSessionEnd(app, [&program, &endedEarly] {
        if (program) {
            program->endNow();
        } else {
            endedEarly = true;
            QCoreApplication::exit(0);
        }
    });

    // A Wayland session's X display (XWayland) belongs to it: the session is
    // named by its Wayland display. A demo runs beside the user's own Tavrel
    // and takes no part in handing over.
    const QString display = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                                ? qEnvironmentVariable("DISPLAY")
                                : qEnvironmentVariable("WAYLAND_DISPLAY");
    tavrel::SingleInstance instance(
        tavrel::InstanceServerName(getuid(), display, qEnvironmentVariable("XDG_RUNTIME_DIR")));
    if (!demo && instance.HandOver()) {
        std::fputs("tavrel: Tavrel already runs on this display; its window was brought forward.\n",
                   stdout);
        return 0;
    }

    tavrel::QtReadWatchFactory watches;
    if (chosen.backend) {
        // Waits for the window manager or the compositor must not freeze the
        // window, the serial port or the timers.
        chosen.backend->setMessagePump([] { QCoreApplication::processEvents(); });
        chosen.backend->watchEvents(watches);
    }
    tavrel::NullInput noInput;
    tavrel::NullDesktop noDesktop;
    tavrel::NullSound noSound;
    const tavrel::DesktopParts desktop =
        chosen.backend ? tavrel::DesktopParts{chosen.backend->input(), chosen.backend->desktop(),
                                              chosen.backend->sound()}
                       : tavrel::DesktopParts{noInput, noDesktop, noSound};

    tavrel::QtMessageBoxes boxes;
    tavrel::HelpWindow help(tavrel::DefaultHelpIndex());
    const std::string directory =
        demo ? demo->directory().string() : tavrel::ProgramDirectory().string();
    program = std::make_unique<tavrel::Program>(directory, desktop, boxes, help);
    boxes.setParent(&program->Ficha());
    help.setWindowIcon(program->Ficha().windowIcon());
    if (!demo && !instance.Listen([&program] { program->Ficha().ConfigurarClick(); })) {
        std::fprintf(stderr, "tavrel: a second start cannot find this one (%s)\n",
                     qPrintable(instance.error()));
    }
    program->Ficha().start();
    if (!chosen.problems.empty()) {
        // Told once, holding nothing up: the receiver is open and commands
        // run while it shows; in running mode (Load minimized) it is a
        // notice, which takes no focus.
        QStringList lines;
        for (const std::string& problem : chosen.problems) {
            lines << QString::fromStdString(problem);
        }
        program->Boxes().Tell(QStringLiteral("Tavrel"), lines.join(QLatin1Char('\n')));
    }
    // An end that came while start-up had a box open ended that box's loop
    // only: the main loop must not start then.
    const bool ended = endedEarly || program->ending() || tavrel::TerminationRequested();
    const int code = ended ? 0 : QApplication::exec();
    program.reset();  // closes the port and removes the tray icon before the desktop goes
    return code;
}
