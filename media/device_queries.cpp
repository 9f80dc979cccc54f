// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/device_queries.h"

namespace zelko::media {

QueryResult queryTotalFrames(MciChannel& channel, const std::string& alias)
{
    std::string reply;
    sendQuery(channel, "set " + alias + " time format frames", reply);
    uint32_t code = sendQuery(channel, "status " + alias + " length", reply);
    return readQuery(code, reply);
}

QueryResult queryCurrentFrame(MciChannel& channel, const std::string& alias)
{
    std::string reply;
    uint32_t code = sendQuery(channel, "status " + alias + " position", reply);
    return readQuery(code, reply);
}

QueryResult queryLengthMs(MciChannel& channel, const std::string& alias)
{
    std::string reply;
    sendQuery(channel, "set " + alias + " time format ms", reply);
    uint32_t code = sendQuery(channel, "status " + alias + " length", reply);
    QueryResult length = readQuery(code, reply);
    sendCommand(channel, "set " + alias + " time format frames");
    return length;
}

}  // namespace zelko::media
