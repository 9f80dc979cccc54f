// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace zelko::mci {

// The diagnostic trace: when ZELKO_MCI_TRACE names a file, one line per command is appended
// to it: the code, a tab, the command's length, a tab, the command exactly as received.
class Trace {
public:
    Trace();
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    void record(uint32_t code, std::string_view command);

private:
    std::FILE* m_file = nullptr;
};

}  // namespace zelko::mci
