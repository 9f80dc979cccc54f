// SPDX-License-Identifier: GPL-3.0-or-later
// mci_play_driver FILE: opens FILE through the engine and plays it to the end ("play ... wait"),
// the engine's share of the CPU-per-second-of-playback comparison. With no DISPLAY and no
// parent window the video goes to the engine's clock-synchronised null sink.
#include "platform/mci/engine.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mci_play_driver FILE\n");
        return 2;
    }
    zelko::mci::Engine engine;
    const std::string file = argv[1];
    for (const std::string& command :
         {"open \"" + file + "\" alias bench", std::string("play bench wait"), std::string("close bench")}) {
        if (const uint32_t code = engine.sendString(command, nullptr, 0, 0); code != 0) {
            char text[128];
            engine.getErrorString(code, text, sizeof text);
            std::fprintf(stderr, "%s: %u %s\n", command.c_str(), code, text);
            return 1;
        }
    }
    return 0;
}
