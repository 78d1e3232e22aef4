// The first-start guide: while the command table is empty it stands in the
// tree's place with the three steps that teach Tavrel a button (insert a
// remote, insert a command, learn it from the receiver) as links, the
// receiver's state with a link that opens the port, and a link to the help.
#pragma once

#include <QWidget>
#include <memory>

#include "ui/text_edge.h"

namespace Ui {
class FirstStartGuide;
}

namespace tavrel {

// What the guide says of the receiver.
struct ReceiverState {
    int port = 0;    // 1 for COM1 ... 8 for COM8; 0 when none is selected
    QString device;  // the device file that port opens
    bool open = false;
    QString why;  // why the port is closed, once an open failed or the device went
};

class FirstStartGuide : public QWidget {
    Q_OBJECT
public:
    explicit FirstStartGuide(QWidget* parent = nullptr);
    ~FirstStartGuide() override;

    void ApplyTranslation(const TranslateFn& translate);
    void showReceiver(const ReceiverState& receiver);

signals:
    void insertRemoteRequested();
    void insertCommandRequested();
    void learnRequested();
    void activateRequested();
    void helpRequested();

private:
    QString translated(const QString& def, const char* key) const {
        return Tr(translate_, def, key);
    }
    void follow(const QString& link);
    void showSteps();
    void showReceiverLine();

    std::unique_ptr<Ui::FirstStartGuide> ui_;
    TranslateFn translate_;
    ReceiverState receiver_;
};

}  // namespace tavrel
