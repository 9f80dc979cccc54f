// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/command_buffer.h"

namespace zelko::media {

std::string holdInBuffer(std::string command, std::size_t length)
{
    command.resize(length, ' ');
    return command;
}

}  // namespace zelko::media
