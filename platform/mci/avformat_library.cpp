// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/avformat_library.h"

#include <dlfcn.h>

#include <string>

namespace zelko::mci {

namespace {

// The shared library of the major version whose headers the engine was built with.
void* openLibrary(const char* name, int major)
{
    const std::string file = "lib" + std::string(name) + ".so." + std::to_string(major);
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

template <typename Function> bool find(void* library, const char* symbol, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, symbol));
    return function != nullptr;
}

const AvFormatLibrary* load()
{
    static AvFormatLibrary library;
    // Loaded for the life of the process: never closed, so the functions stay valid.
    void* avformat = openLibrary("avformat", LIBAVFORMAT_VERSION_MAJOR);
    void* avutil = openLibrary("avutil", LIBAVUTIL_VERSION_MAJOR);
    if (avformat == nullptr || avutil == nullptr) {
        return nullptr;
    }
    const bool found = find(avformat, "avformat_alloc_context", library.allocContext) &&
                       find(avformat, "avformat_open_input", library.openInput) &&
                       find(avformat, "avformat_find_stream_info", library.findStreamInfo) &&
                       find(avformat, "avformat_close_input", library.closeInput) &&
                       find(avformat, "av_probe_input_format3", library.probeInputFormat) &&
                       find(avformat, "av_stream_get_side_data", library.streamSideData) &&
                       find(avformat, "avio_alloc_context", library.allocIoContext) &&
                       find(avformat, "avio_context_free", library.freeIoContext) &&
                       find(avutil, "av_malloc", library.malloc) && find(avutil, "av_freep", library.freep) &&
                       find(avutil, "av_rescale_q", library.rescaleQ);
    return found ? &library : nullptr;
}

}  // namespace

const AvFormatLibrary* avformatLibrary()
{
    static const AvFormatLibrary* const library = load();
    return library;
}

}  // namespace zelko::mci
