// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/mci_channel.h"
#include "platform/mci/engine.h"

namespace zelko::channels {

// The product's channel: the in-process MCI engine and the platform stand-ins.
class EngineChannel final : public media::ImmediateChannel {
public:
    uint32_t sendString(std::string_view command, char* reply, uint32_t replyLength,
                        std::uintptr_t callbackWindow) override;
    bool getErrorString(uint32_t code, char* buffer, uint32_t length) override;
    std::string missingDecoder(uint32_t code) override;
    uint32_t getShortPathName(const char* longPath, char* buffer, uint32_t length) override;
    bool getWindowRect(int64_t windowHandle, platform::WindowRect& rect) override;

    // Readies the engine's media framework in the background (see mci::Engine::warmUp).
    void warmUp() { m_engine.warmUp(); }

private:
    mci::Engine m_engine;
};

}  // namespace zelko::channels
