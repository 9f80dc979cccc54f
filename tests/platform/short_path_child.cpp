// SPDX-License-Identifier: GPL-3.0-or-later
// Run by short_path_test as a process of its own: prints the short path of its argument and
// exits normally, so the test can see the link removed when the process ends.
#include <cstdio>

#include "platform/short_path.h"

int main(int argc, char** argv)
{
    char buffer[255] = {};
    uint32_t length = argc == 2 ? zelko::platform::getShortPathName(argv[1], buffer, sizeof buffer) : 0;
    return length > 0 && length < sizeof buffer && std::fwrite(buffer, 1, length, stdout) == length ? 0 : 1;
}
