// The device's state for this user.
#include "ui/device_state.h"

#include <QFileInfo>

namespace tavrel {

QString DeviceStateWords(const QString& path, const TranslateFn& translate) {
    const QFileInfo device(path);
    if (!device.exists()) {
        return Tr(translate, QStringLiteral("not present"), "devicemissing");
    }
    if (!device.isReadable() || !device.isWritable()) {
        return Tr(translate, QStringLiteral("present, no permission"), "devicenopermission");
    }
    return Tr(translate, QStringLiteral("present"), "devicepresent");
}

}  // namespace tavrel
