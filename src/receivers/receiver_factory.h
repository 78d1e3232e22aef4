// Creating the receiver a [Ports] value names. Each kind lives in a folder of
// its own beside this file: serial/, lirc_device/ (the kernel's), lircd/ (the
// daemon's), and fake/ for tests.
#pragma once

#include <memory>

#include "platform/read_watch.h"
#include "platform/timer.h"
#include "receivers/receiver.h"

namespace tavrel {

// The kernel kinds (KernelScancode, KernelRaw) on choice.path, from
// lirc_device/.
std::unique_ptr<Receiver> CreateLircDeviceReceiver(const ReceiverChoice& choice,
                                                   TimerFactory& timers, ReadWatchFactory& watches);

}  // namespace tavrel
