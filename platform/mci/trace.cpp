// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/trace.h"

#include <cstdlib>

namespace zelko::mci {

Trace::Trace()
{
    const char* path = std::getenv("ZELKO_MCI_TRACE");
    if (path != nullptr && *path != '\0') {
        m_file = std::fopen(path, "ae");
    }
}

Trace::~Trace()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

void Trace::record(uint32_t code, std::string_view command)
{
    if (m_file == nullptr) {
        return;
    }
    std::fprintf(m_file, "%u\t%zu\t", code, command.size());
    std::fwrite(command.data(), 1, command.size(), m_file);
    std::fputc('\n', m_file);
    std::fflush(m_file);
}

}  // namespace zelko::mci
