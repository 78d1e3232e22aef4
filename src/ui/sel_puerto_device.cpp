// The configuration dialog's receiver finder: which receiver the chosen COM
// port opens, whether it is there, and the receivers this machine has.
#include "receivers/receiver.h"
#include "ui/configuration_services.h"
#include "ui/device_state.h"
#include "ui/message_boxes.h"
#include "ui/sel_puerto.h"
#include "ui_SelecPuerto.h"

namespace tavrel {

// "COM2 = /dev/ttyUSB0 (present)": users of USB receivers cannot guess that
// COM2 means /dev/ttyS1 unless they are told. The line settings mean nothing
// to a receiver of another kind, so they are greyed for it.
void TSelPuerto::showDevice() {
    const int comNumber = ui_->CBPortNumber->currentIndex() + 1;
    const std::string value = services_.portDevice(comNumber);
    const ReceiverChoice choice = ChooseReceiver(value);
    QString text = QStringLiteral("COM%1 = %2").arg(comNumber).arg(QString::fromStdString(value));
    // The device, or the daemon's socket; nothing to look at for a daemon
    // over the network.
    if (!choice.path.empty()) {
        text += QStringLiteral(" (%1)").arg(
            DeviceStateWords(QString::fromStdString(choice.path), translate_));
    }
    ui_->LDevice->setText(text);
    const bool serial = choice.kind == ReceiverKind::Serial;
    for (QComboBox* line : {ui_->CBVelocidad, ui_->CBParidad, ui_->CBDataBits, ui_->CBStopbits}) {
        line->setEnabled(serial);
    }
}

QString TSelPuerto::chooseDeviceText() const {
    return translated(QStringLiteral("Choose a device..."), "choosedevice");
}

// The first item only invites a choice, so picking any device, even the one
// already mapped, is a pick.
void TSelPuerto::fillDevices() {
    QComboBox* list = ui_->CBDevice;
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItem(chooseDeviceText());
    for (const SerialDeviceEntry& device : services_.receiverDevices()) {
        list->addItem(QString::fromStdString(device.name), QString::fromStdString(device.path));
    }
    list->setEnabled(list->count() > 1);
}

// The chosen COM port opens that device from its next open on; an open port
// stays on the line it has until then.
void TSelPuerto::CBDeviceClick() {
    QComboBox* list = ui_->CBDevice;
    const QString device = list->currentData().toString();
    {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(0);
    }
    if (device.isEmpty()) {
        return;
    }
    const int comNumber = ui_->CBPortNumber->currentIndex() + 1;
    if (const auto failure = services_.setPortDevice(comNumber, device.toStdString())) {
        boxes_.Error(QStringLiteral("Tavrel"), TrFileProblem(translate_, *failure));
    }
    showDevice();
}

}  // namespace tavrel
