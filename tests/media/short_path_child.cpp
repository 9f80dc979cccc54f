// Run by short_path_test as a process of its own: prints the short path of its argument and
// exits normally, so the test can see the link removed when the process ends.
#include <cstdio>

#include "platform/short_path.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    char buffer[255] = {};
    uint32_t length = zelko::platform::getShortPathName(argv[1], buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return 1;
    std::fwrite(buffer, 1, length, stdout);
    return 0;
}
