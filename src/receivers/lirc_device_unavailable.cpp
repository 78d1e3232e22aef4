// The kernel kinds when the build has no lirc_device/: they say they are missing.
#include "receivers/receiver_factory.h"
#include "receivers/unavailable_receiver.h"

namespace tavrel {

std::unique_ptr<Receiver> CreateLircDeviceReceiver(const ReceiverChoice& choice, TimerFactory&,
                                                   ReadWatchFactory&) {
    return std::make_unique<UnavailableReceiver>(choice.path);
}

}  // namespace tavrel
