// The device's sound: volume and mute, applied to the pipeline at once and kept by it for every
// later play and seek.
#include "platform/mci/device.h"

namespace zelko::mci {

void Device::setVolume(uint32_t permille)
{
    if (!m_hasAudio) {
        return;
    }
    m_volumePermille = permille;
    // playbin's volume is linear: 1.0 is the stream's own level.
    g_object_set(m_playbin.get(), "volume", permille / 1000.0, nullptr);
}

void Device::setMuted(bool muted)
{
    if (m_hasAudio) {
        g_object_set(m_playbin.get(), "mute", muted ? TRUE : FALSE, nullptr);
    }
}

}  // namespace zelko::mci
