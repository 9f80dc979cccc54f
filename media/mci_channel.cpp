// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/mci_channel.h"

#include <string>

#include "media/reply_parse.h"

namespace zelko::media {

MciChannel::RequestId MciChannel::findShortPath(std::string_view longPath, uint32_t length, Completion completion)
{
    std::string buffer(length, '\0');
    const uint32_t found = getShortPathName(std::string(longPath).c_str(), buffer.data(), length);
    completion(found, found > 0 && found < length ? std::string_view(buffer.data(), found) : std::string_view());
    return 0;
}

MciChannel::RequestId ImmediateChannel::send(std::string_view command, uint32_t replyLength, Completion completion)
{
    if (replyLength == 0) {
        const uint32_t code = sendString(command, nullptr, 0, 0);
        completion(code, {});
        return 0;
    }
    std::string buffer(replyLength, '\0');
    const uint32_t code = sendString(command, buffer.data(), replyLength, 0);
    completion(code, replyText(buffer.data(), buffer.size()));
    return 0;
}

}  // namespace zelko::media
