// The configuration dialog's receiver finder: which device the chosen COM
// port opens, whether it is there, and the serial devices this machine has.
#include <QFileInfo>

#include "ui/configuration_services.h"
#include "ui/message_boxes.h"
#include "ui/sel_puerto.h"
#include "ui_SelecPuerto.h"

namespace tavrel {

// "COM2 = /dev/ttyUSB0 (present)": users of USB receivers cannot guess that
// COM2 means /dev/ttyS1 unless they are told.
void TSelPuerto::showDevice() {
    const int comNumber = ui_->CBPortNumber->currentIndex() + 1;
    const QString device = QString::fromStdString(services_.portDevice(comNumber));
    const QString state = QFileInfo::exists(device)
                              ? translated(QStringLiteral("present"), "devicepresent")
                              : translated(QStringLiteral("not present"), "devicemissing");
    ui_->LDevice->setText(QStringLiteral("COM%1 = %2 (%3)").arg(comNumber).arg(device, state));
}

// The first item only invites a choice, so picking any device, even the one
// already mapped, is a pick.
void TSelPuerto::fillDevices() {
    QComboBox* list = ui_->CBDevice;
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItem(translated(QStringLiteral("Choose a device..."), "choosedevice"));
    for (const SerialDeviceEntry& device : services_.serialDevices()) {
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
        boxes_.Error(QStringLiteral("Tavrel"), ToQt(*failure));
    }
    showDevice();
}

}  // namespace tavrel
