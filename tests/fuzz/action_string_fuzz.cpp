// The action-string readers and the keystroke sender's text reader: any
// string is read without fault, and an action stored in a list reads back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "actions/action_string.h"
#include "actions/message_table.h"
#include "actions/named_keys.h"
#include "actions/send_keys.h"
#include "platform/fake/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace tavrel;
    FuzzedDataProvider data(bytes, size);
    const int index = data.ConsumeIntegralInRange(0, 12);
    const std::string action = data.ConsumeRandomLengthString(2000);

    (void)ClassifyAction(action);
    (void)NamedKeyIndex(ReadTapKey(action).keyText);
    (void)ReadMouse(action);
    (void)ReadRunProgram(action);
    const PostMessageFields message = ReadPostMessage(action);
    (void)LookupMessage(message.message);
    (void)MessageNumber(message.message);
    (void)MessageNumber(message.wParam);

    ActionList list;
    while (data.remaining_bytes() > 0 && list.size() < 20) {
        list.push_back(data.ConsumeRandomLengthString(20));
    }
    WriteAction(list, index, action);
    if (ReadAction(list, index) != action) {
        std::abort();
    }

    FakePlatform platform;
    TSendKeys sendKeys(platform.input, platform.desktop);
    sendKeys.SendKeyString(action);
    return 0;
}
