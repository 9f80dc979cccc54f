// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/mci_error_codes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zelko::mci {

// Our description of `code`, at most 127 characters; empty for a code that is not an error.
std::string_view errorDescription(uint32_t code);

// Why one command failed, beyond its code: the text told for the code in place of our
// description (empty: there is nothing to add), and when the file needs a decoder that is not
// installed, GStreamer's description of that decoder, as data beside the text.
struct ErrorDetail {
    std::string text;
    std::string missingDecoder;
};

}  // namespace zelko::mci
