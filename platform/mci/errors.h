// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/error_detail.h"
#include "platform/mci_error_codes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zelko::mci {

// Our description of `code`, at most 127 characters; empty for a code that is not an error.
std::string_view errorDescription(uint32_t code);

// Why one command failed, beyond its code (see platform/error_detail.h).
using ErrorDetail = platform::ErrorDetail;

}  // namespace zelko::mci
