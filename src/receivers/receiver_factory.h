// Creating the receiver a [Ports] value names. Each kind lives in a folder of
// its own beside this file: serial/, lirc_device/ (the kernel's), lircd/ (the
// daemon's), and fake/ for tests.
#pragma once

#include <memory>

#include "platform/read_watch.h"
#include "platform/timer.h"
#include "receivers/receiver.h"

namespace tavrel {

// The kernel kinds (KernelScancode, KernelRaw) on choice.path. Provided by
// lirc_device/ when the build has it; otherwise a receiver whose every open
// fails with OpenFailure::NotAvailable.
std::unique_ptr<Receiver> CreateLircDeviceReceiver(const ReceiverChoice& choice,
                                                   TimerFactory& timers, ReadWatchFactory& watches);

}  // namespace tavrel
