// SPDX-License-Identifier: GPL-3.0-or-later
// zmci: runs MCI command strings against one engine, from the arguments or, with none, from
// the lines of standard input, and prints "code<TAB>reply" (or the description) per command.
#include "platform/mci/engine.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace zelko {
namespace {

bool run(zelko::mci::Engine& engine, const std::string& command)
{
    char reply[256] = {};
    const uint32_t code = engine.sendString(command, reply, sizeof reply, 0);
    if (code != 0) {
        engine.getErrorString(code, reply, sizeof reply);
    }
    std::printf("%u\t%s\n", code, reply);
    std::fflush(stdout);
    return code == 0;
}

// Reads commands and sends each to the engine.
int Main(int argc, char** argv)
{
    zelko::mci::Engine engine;
    bool allSucceeded = true;
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            allSucceeded = run(engine, argv[i]) && allSucceeded;
        }
    } else {
        std::string line;
        while (std::getline(std::cin, line)) {
            allSucceeded = run(engine, line) && allSucceeded;
        }
    }
    return allSucceeded ? 0 : 1;
}

}  // namespace
}  // namespace zelko

int main(int argc, char** argv)
{
    return zelko::Main(argc, argv);
}
