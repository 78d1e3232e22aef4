// The device's state for this user.
#include "ui/device_state.h"

#include <QFileInfo>

namespace tavrel {

QString DeviceStateWords(const QString& path, const TranslateFn& translate) {
    const QFileInfo device(path);
    if (!device.exists()) {
        return Tr(translate, QStringLiteral("not present"), "devicemissing");
    }
    return Tr(translate, QStringLiteral("present, no permission"), "devicenopermission");
}

}  // namespace tavrel
