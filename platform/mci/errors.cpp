// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mci/errors.h"

#include <array>
#include <utility>

namespace zelko::mci {

namespace {

// Our own wording; each text stays under 128 characters so a 128-character buffer holds it.
constexpr std::array<std::pair<uint32_t, std::string_view>, 23> kDescriptions{{
    {code::kUnrecognizedKeyword, "The command holds a word this device does not know."},
    {code::kUnrecognizedCommand, "The command's first word is not a command the media engine knows."},
    {code::kHardware, "The media output reported a hardware fault."},
    {code::kInvalidDeviceName, "No device is open under that name, or the device type is not known."},
    {code::kMissingCommandString, "The command is empty."},
    {code::kParamOverflow, "The reply is longer than the buffer offered for it."},
    {code::kBadInteger, "A number was expected but the command holds something else there."},
    {code::kMissingParameter, "The command needs a value that it does not give."},
    {code::kUnsupportedFunction, "The device cannot do what the command asks."},
    {code::kFileNotFound, "The file does not exist."},
    {code::kInternal, "The media engine failed inside; the device may need to be closed and opened again."},
    {code::kCannotUseAll, "This command cannot be sent to all devices at once."},
    {code::kOutOfRange, "A value in the command is outside the range the device allows."},
    {code::kFlagsNotCompatible, "The command asks for things that cannot be given together."},
    {code::kDuplicateAlias, "That alias is already in use; close the device first or choose another alias."},
    {code::kMissingDeviceName, "The command does not name a device or file."},
    {code::kBadTimeFormat, "That time format is not available for this media."},
    {code::kNoClosingQuote, "A quoted name in the command has no closing quote."},
    {code::kDuplicateFlags, "The command gives the same word twice."},
    {code::kInvalidFile, "The file cannot be played: it is empty, damaged, or not a format with a decoder."},
    {code::kNonapplicableFunction, "The command does not apply in the device's present mode."},
    {code::kExtraCharacters, "A quoted name is followed directly by other characters."},
    {code::kNoWindow, "The media has no video, so there is no display window."},
}};

}  // namespace

std::string_view errorDescription(uint32_t errorCode)
{
    for (const auto& [value, text] : kDescriptions) {
        if (value == errorCode) {
            return text;
        }
    }
    return {};
}

}  // namespace zelko::mci
