#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelko::mci {

class Device;
class Session;
struct ParsedCommand;

// One handler per verb, named in the verb table. Each runs on the caller's thread and returns
// the MCI code; `reply` is the text to hand back on success.
uint32_t handleOpen(Session& session, const ParsedCommand& command, std::string& reply);
uint32_t handleClose(Session& session, const ParsedCommand& command, std::string& reply);
uint32_t handlePlay(Session& session, const ParsedCommand& command, std::string& reply);
uint32_t handlePause(Session& session, const ParsedCommand& command, std::string& reply);
uint32_t handleResume(Session& session, const ParsedCommand& command, std::string& reply);
uint32_t handleStop(Session& session, const ParsedCommand& command, std::string& reply);
uint32_t handleSeek(Session& session, const ParsedCommand& command, std::string& reply);
uint32_t handleSet(Session& session, const ParsedCommand& command, std::string& reply);
uint32_t handleStatus(Session& session, const ParsedCommand& command, std::string& reply);
uint32_t handleWhere(Session& session, const ParsedCommand& command, std::string& reply);
uint32_t handlePut(Session& session, const ParsedCommand& command, std::string& reply);

// Helpers the handlers share.
// The device the command names: 263 when none is open under it, 279 for "all".
uint32_t targetDevice(Session& session, const ParsedCommand& command, Device*& device);
// A time in the device's current format read from `text` into nanoseconds, within 0..length:
// 270 when it is not a number, 282 when it is out of range.
uint32_t readTime(const Device& device, std::string_view text, int64_t& ns);
// A position in the device's current format.
int64_t toUnits(const Device& device, int64_t ns);

}  // namespace zelko::mci
