// SPDX-License-Identifier: GPL-3.0-or-later
// An engine host of another build, for the channel's test: it takes the host's command line,
// says hello in a later version of the wire, and waits for the window to close the channel.
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/mci_host/messages.h"

int main(int argc, char** argv)
{
    int socket = -1;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--socket") {
            socket = std::atoi(argv[i + 1]);
        }
    }
    namespace wire = zelko::mci::wire;
    if (socket < 0 ||
        !wire::writeFrame(socket, wire::pack(0, wire::Hello{std::string(wire::kMagic), wire::kVersion + 1}),
                          std::nullopt)) {
        return 1;
    }
    char byte = 0;
    while (::read(socket, &byte, 1) > 0) {}
    return 0;
}
