// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/log.h"

#include "platform/mci/descriptor_source.h"

#include <mutex>

GST_DEBUG_CATEGORY(zelko_mci_debug);

namespace zelko::mci {

void initGStreamer()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gst_is_initialized()) {
            gst_init(nullptr, nullptr);
        }
        GST_DEBUG_CATEGORY_INIT(zelko_mci_debug, "zelko-mci", 0, "Zelko Player's MCI engine");
        registerDescriptorSource();
    });
}

}  // namespace zelko::mci
