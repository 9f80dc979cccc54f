// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/device_queries.h"

namespace zelko::media {

Task<QueryResult> queryTotalFrames(MciChannel& channel, std::string alias)
{
    co_await sendQuery(channel, "set " + alias + " time format frames");
    const Reply length = co_await sendQuery(channel, "status " + alias + " length");
    co_return readQuery(length);
}

Task<QueryResult> queryCurrentFrame(MciChannel& channel, std::string alias)
{
    const Reply position = co_await sendQuery(channel, "status " + alias + " position");
    co_return readQuery(position);
}

Task<QueryResult> queryLengthMs(MciChannel& channel, std::string alias)
{
    co_await sendQuery(channel, "set " + alias + " time format ms");
    const Reply reply = co_await sendQuery(channel, "status " + alias + " length");
    const QueryResult length = readQuery(reply);
    co_await sendCommand(channel, "set " + alias + " time format frames");
    co_return length;
}

}  // namespace zelko::media
