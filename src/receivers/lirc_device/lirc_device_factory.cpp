// The kernel kinds of receiver, as a [Ports] value names them.
#include "receivers/lirc_device/lirc_device_receiver.h"
#include "receivers/receiver_factory.h"

namespace tavrel {

std::unique_ptr<Receiver> CreateLircDeviceReceiver(const ReceiverChoice& choice,
                                                   TimerFactory& timers,
                                                   ReadWatchFactory& watches) {
    auto receiver = std::make_unique<LircDeviceReceiver>(timers, watches);
    receiver->SetDevice(choice.path, choice.kind == ReceiverKind::KernelRaw
                                         ? LircDeviceReceiver::Mode::Raw
                                         : LircDeviceReceiver::Mode::Decoded);
    return receiver;
}

}  // namespace tavrel
