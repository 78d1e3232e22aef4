// Namespaces of a test's own, for peers that misbehave on the network without
// touching anyone else's: a network namespace where only loopback exists
// (and can be taken down, a peer that vanishes without a word), and a mount
// namespace whose /etc/resolv.conf names a name server that never answers.
// Each acts on the calling process, which must have no other thread yet;
// children started afterwards share them. Both need root.
#pragma once

#include <string>

namespace tavrel::testing {

// Enters a network namespace of its own with loopback up; false, with the
// reason in why, where none can be made.
bool EnterPrivateNetwork(std::string& why);
// Loopback up or down in it: down, every packet goes nowhere, no reset comes.
bool SetLoopbackUp(bool up);

// Puts a file of the given content over /etc/name in a mount namespace of
// this process's own (entered at the first call); false with why otherwise.
bool BindEtcFile(const std::string& name, const std::string& content, std::string& why);

// An empty folder of this process's own over folder (a tmpfs in its mount
// namespace), as for /run/lirc; false with why otherwise.
bool MountEmptyFolder(const std::string& folder, std::string& why);

// A name server at 127.0.0.1:53 that reads every question and never answers,
// named by the /etc/resolv.conf of a mount namespace this process enters.
// Call after EnterPrivateNetwork.
class SilentNameServer {
public:
    SilentNameServer();
    ~SilentNameServer();
    SilentNameServer(const SilentNameServer&) = delete;
    SilentNameServer& operator=(const SilentNameServer&) = delete;

    // Empty when it stands; else why it could not.
    const std::string& problem() const { return problem_; }

private:
    int udp_ = -1;
    int tcp_ = -1;
    std::string problem_;
};

}  // namespace tavrel::testing
