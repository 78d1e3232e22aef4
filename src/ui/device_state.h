// How the receiver's device file stands for the user running Tavrel, in the
// words the configuration dialog and the first-start guide show.
#pragma once

#include <QString>

#include "ui/text_edge.h"

namespace tavrel {

// "present", "not present", or "present, no permission" for a device that is
// there but that this user may not both read and write.
QString DeviceStateWords(const QString& path, const TranslateFn& translate);

}  // namespace tavrel
