// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The MCI error codes: the Windows numbers (base 256), so anything written against MCI reads
// them the same way. The engine answers with them, the media module and the channels give them
// for what they refuse or answer themselves; none of these headers is the engine's own, so a
// layer that never links the engine reads the same numbers.
namespace zelko::mci::code {

inline constexpr uint32_t kSuccess = 0;
inline constexpr uint32_t kUnrecognizedKeyword = 259;
inline constexpr uint32_t kUnrecognizedCommand = 261;
inline constexpr uint32_t kHardware = 262;
inline constexpr uint32_t kInvalidDeviceName = 263;
inline constexpr uint32_t kMissingCommandString = 267;
inline constexpr uint32_t kParamOverflow = 268;
inline constexpr uint32_t kBadInteger = 270;
inline constexpr uint32_t kMissingParameter = 273;
inline constexpr uint32_t kUnsupportedFunction = 274;
inline constexpr uint32_t kFileNotFound = 275;
inline constexpr uint32_t kInternal = 277;
inline constexpr uint32_t kCannotUseAll = 279;
inline constexpr uint32_t kOutOfRange = 282;
inline constexpr uint32_t kFlagsNotCompatible = 284;
inline constexpr uint32_t kDuplicateAlias = 289;
inline constexpr uint32_t kMissingDeviceName = 292;
inline constexpr uint32_t kBadTimeFormat = 293;
inline constexpr uint32_t kNoClosingQuote = 294;
inline constexpr uint32_t kDuplicateFlags = 295;
inline constexpr uint32_t kInvalidFile = 296;
inline constexpr uint32_t kNonapplicableFunction = 302;
inline constexpr uint32_t kExtraCharacters = 305;
inline constexpr uint32_t kNoWindow = 346;

}  // namespace zelko::mci::code
