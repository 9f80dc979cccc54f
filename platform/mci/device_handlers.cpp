// SPDX-License-Identifier: GPL-3.0-or-later
// The verbs that open and close devices.
#include "platform/mci/arguments.h"
#include "platform/ascii.h"
#include "platform/mci/command_parser.h"
#include "platform/mci/errors.h"
#include "platform/mci/handlers.h"
#include "platform/mci/session.h"

namespace zelko::mci {

uint32_t handleOpen(Session& session, std::string_view name, const Arguments& arguments, std::string& reply)
{
    const int64_t parent = arguments.integer("parent").value_or(0);
    if (parent < 0) {
        return code::kBadInteger;
    }
    const std::string alias(arguments.word("alias").value_or(name));
    if (platform::asciiLower(alias) == "all") {
        return code::kCannotUseAll;
    }
    if (session.contains(alias)) {
        return code::kDuplicateAlias;
    }
    std::unique_ptr<Device> device;
    ErrorDetail detail;
    platform::TrackTags tagsMet;
    const std::string path(name);
    platform::OpenedFile file = session.openFile(path);
    const std::optional<platform::FileIdentity> identity = platform::identityOf(file.fd.get());
    const uint32_t result =
        Device::open(path, std::move(file), static_cast<std::uintptr_t>(parent), device, detail, tagsMet);
    if (result != 0) {
        if (identity) {
            session.keepFailedTags(*identity, std::move(tagsMet));
        }
        session.setDetail(std::move(detail));
        return result;
    }
    reply = std::to_string(session.add(alias, std::move(device)));
    return code::kSuccess;
}

uint32_t handleClose(Session& session, std::string_view name, const Arguments&, std::string&)
{
    if (platform::asciiLower(name) == "all") {
        session.closeAll();
        return code::kSuccess;
    }
    Device* device = nullptr;
    if (const uint32_t result = session.lookup(name, device); result != 0) {
        return result;
    }
    session.close(name);
    return code::kSuccess;
}

}  // namespace zelko::mci
