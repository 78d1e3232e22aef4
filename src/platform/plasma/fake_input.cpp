// Fake input requests, flushed one by one.
#include "platform/plasma/fake_input.h"

#include <wayland-client.h>

#include <cstring>
#include <string>

#include "fake-input-client.h"
#include "platform/wayland/wayland_connection.h"

namespace tavrel {

FakeInput::FakeInput(WaylandConnection& connection, org_kde_kwin_fake_input* input)
    : connection_(connection), input_(input), created_(std::chrono::steady_clock::now()) {
    org_kde_kwin_fake_input_authenticate(input_, "Tavrel",
                                         "Carries out the commands of an infrared remote control");
}

FakeInput::~FakeInput() {
    org_kde_kwin_fake_input_destroy(input_);
    connection_.Flush();
}

bool FakeInput::Sent() {
    connection_.Flush();
    return connection_.error() == 0;
}

bool FakeInput::Key(unsigned code, bool press) {
    org_kde_kwin_fake_input_keyboard_key(
        input_, code, press ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    return Sent();
}

bool FakeInput::Button(unsigned code, bool press) {
    org_kde_kwin_fake_input_button(
        input_, code, press ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    return Sent();
}

bool FakeInput::Move(int dx, int dy) {
    org_kde_kwin_fake_input_pointer_motion(input_, wl_fixed_from_int(dx), wl_fixed_from_int(dy));
    return Sent();
}

std::string FakeInput::Failure() const {
    return std::string("the compositor closed the connection (") +
           std::strerror(connection_.error()) + ")";
}

}  // namespace tavrel
