// The tavrel program: creates the main window and runs the message loop.
#include <QApplication>
#include <memory>

#include "commands/command_table.h"
#include "ficha.h"
#include "help_viewer.h"
#include "message_boxes.h"
#include "port_control.h"
#include "session_end.h"

namespace {

// Stands in for the serial driver until it is connected: the port never opens,
// and the conflict box says why.
class NoSerialPort : public tavrel::PortControl {
public:
    bool OpenPort() override { return false; }
    void ClosePort() override {}
    bool IsOpen() const override { return false; }
    void SetDTR(bool) override {}
    void SetRTS(bool) override {}
    int PortNumber() const override { return 0; }
    std::string LastError() const override { return "This build has no serial port driver."; }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tavrel"));
    // In running mode the window is hidden and only the tray icon remains.
    QApplication::setQuitOnLastWindowClosed(false);

    NoSerialPort port;
    tavrel::QtMessageBoxes boxes;
    tavrel::BrowserHelpViewer help(tavrel::DefaultHelpIndex());
    tavrel::CommandTable table;
    const tavrel::TranslateFn keepDefault = [](std::string def, std::string) { return def; };

    auto ficha = std::make_unique<tavrel::TFicha>(port, keepDefault, boxes, help);
    ficha->setObjectName(QStringLiteral("Ficha"));
    boxes.setParent(ficha.get());
    ficha->SetCommandTable(&table);
    ficha->hooks.CommandTableEmpty = [&table] { return table.empty(); };

    tavrel::InstallSessionEnd(app, [] { QCoreApplication::exit(0); });
    ficha->show();
    const int code = QApplication::exec();
    ficha.reset();  // closes the port and removes the tray icon before the table goes
    return code;
}
