// Wiring of the receiving road, and the creation of a receiver by its kind.
#include "road/receiving_road.h"

#include "receivers/lircd/lircd_client.h"
#include "receivers/receiver_factory.h"

namespace tavrel {

ReceivingRoad::ReceivingRoad(const RoadParts& parts)
    : capture_(parts.timers, parts.table, parts.settings),
      recognizer_(parts.table, parts.settings, parts.mode, parts.sound, parts.files, parts.dispatch,
                  parts.host),
      timers_(parts.timers),
      watches_(parts.watches),
      serial_(parts.timers, parts.watches) {
    capture_.reconocer = [this](const TSecuencia& secuencia) { recognizer_.Reconocer(secuencia); };
    capture_.outcomeSettled = [this](const TSecuencia& soFar) {
        return recognizer_.Settled(soFar);
    };
    capture_.joinedPressAt = [this](const TSecuencia& batch) {
        return recognizer_.JoinedPressAt(batch);
    };
    parts.runner.setMouseStepProvider([this] { return capture_.MouseStep; });
    connect(serial_);
    use(serial_);
}

ReceivingRoad::~ReceivingRoad() {
    // A receiver closed from here on tells nobody.
    for (Receiver* receiver : {static_cast<Receiver*>(&serial_), other_.get()}) {
        if (receiver != nullptr) {
            receiver->SetOnHangup({});
        }
    }
}

void ReceivingRoad::connect(Receiver& receiver) {
    receiver.SetOnReceiveData([this](Receiver&, const std::uint8_t* data, std::int32_t size) {
        capture_.CommPortReceiveData(data, size);
    });
    receiver.SetOnBatchSoFar([this](Receiver&, const std::uint8_t* data, std::int32_t size) {
        capture_.CommPortBatchSoFar(data, size);
    });
    receiver.SetOnHangup([this](Receiver&) { hungUp.notify(); });
    receiver.SetOnOpenEnded([this](Receiver& sender) {
        if (&sender == current_) {
            openEnded.notify();
        }
    });
    receiver.SetOnBack([this](Receiver& sender) {
        if (&sender == current_) {
            back.notify();
        }
    });
}

void ReceivingRoad::use(Receiver& receiver) {
    current_ = &receiver;
    capture_.lines = receiver.Lines();
}

void ReceivingRoad::choose(const std::string& value) {
    if (current_->IsOpen()) {
        return;
    }
    const ReceiverChoice choice = ChooseReceiver(value);
    if (choice.kind == ReceiverKind::Serial) {
        use(serial_);
        return;
    }
    if (other_ && otherChoice_ == choice && otherChoice_->typed == choice.typed) {
        use(*other_);
        return;
    }
    std::unique_ptr<Receiver> made;
    if (choice.kind == ReceiverKind::Daemon) {
        made = std::make_unique<LircdClient>(choice, timers_, watches_);
    } else {
        made = CreateLircDeviceReceiver(choice, timers_, watches_);
    }
    install(std::move(made), choice);
}

void ReceivingRoad::choose(std::unique_ptr<Receiver> receiver) {
    if (!current_->IsOpen() && receiver) {
        install(std::move(receiver), std::nullopt);
    }
}

void ReceivingRoad::install(std::unique_ptr<Receiver> receiver,
                            std::optional<ReceiverChoice> choice) {
    use(serial_);  // while the old one goes
    other_ = std::move(receiver);
    otherChoice_ = std::move(choice);
    connect(*other_);
    use(*other_);
}

}  // namespace tavrel
