// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelko::mci {

class Arguments;
class Device;
class Session;

// The handlers the verb table names. Each runs on the caller's thread with the device already
// looked up and the values read, and returns the MCI code; `reply` is the text handed back on
// success.

// open and close: the device word is a file name, an alias or "all".
uint32_t handleOpen(Session& session, std::string_view name, const Arguments& arguments, std::string& reply);
uint32_t handleClose(Session& session, std::string_view name, const Arguments& arguments, std::string& reply);

// The verbs that move the media.
uint32_t handlePlay(Device& device, const Arguments& arguments, std::string& reply);
uint32_t handlePause(Device& device, const Arguments& arguments, std::string& reply);
uint32_t handleResume(Device& device, const Arguments& arguments, std::string& reply);
uint32_t handleStop(Device& device, const Arguments& arguments, std::string& reply);
uint32_t handleSeek(Device& device, const Arguments& arguments, std::string& reply);
uint32_t handleSet(Device& device, const Arguments& arguments, std::string& reply);
uint32_t handleSetAudio(Device& device, const Arguments& arguments, std::string& reply);

// One per item of status, where and put.
uint32_t statusLength(Device& device, const Arguments& arguments, std::string& reply);
uint32_t statusPosition(Device& device, const Arguments& arguments, std::string& reply);
uint32_t statusSpeed(Device& device, const Arguments& arguments, std::string& reply);
uint32_t statusMode(Device& device, const Arguments& arguments, std::string& reply);
uint32_t statusReady(Device& device, const Arguments& arguments, std::string& reply);
uint32_t statusTimeFormat(Device& device, const Arguments& arguments, std::string& reply);
uint32_t statusVolume(Device& device, const Arguments& arguments, std::string& reply);
uint32_t whereDestination(Device& device, const Arguments& arguments, std::string& reply);
uint32_t whereSource(Device& device, const Arguments& arguments, std::string& reply);
uint32_t putWindow(Device& device, const Arguments& arguments, std::string& reply);

}  // namespace zelko::mci
