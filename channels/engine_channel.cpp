// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/engine_channel.h"

#include "platform/short_path.h"
#include "platform/window_rect.h"

namespace zelko::channels {

uint32_t EngineChannel::sendString(std::string_view command, char* reply, uint32_t replyLength,
                                   std::uintptr_t callbackWindow)
{
    return m_engine.sendString(command, reply, replyLength, callbackWindow);
}

bool EngineChannel::getErrorString(uint32_t code, char* buffer, uint32_t length)
{
    return m_engine.getErrorString(code, buffer, length);
}

std::string EngineChannel::missingDecoder(uint32_t code)
{
    return m_engine.missingDecoder(code);
}

uint32_t EngineChannel::getShortPathName(const char* longPath, char* buffer, uint32_t length)
{
    return longPath ? platform::getShortPathName(longPath, buffer, length) : 0;
}

bool EngineChannel::getWindowRect(int64_t windowHandle, platform::WindowRect& rect)
{
    return platform::getWindowRect(windowHandle, rect);
}

}  // namespace zelko::channels
