// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/reply_parse.h"

#include "platform/rounding.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace zelko::media {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the number that starts `text` (sign, digits, optional fraction), 0 when none.
std::size_t numberLength(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    return digits == 0 ? 0 : i;
}

// Reads a number of numberLength() characters; from_chars does not depend on the C locale,
// which QApplication sets from the environment (a decimal comma would otherwise creep in).
std::optional<double> readNumber(std::string_view number)
{
    bool negative = false;
    if (number.front() == '-' || number.front() == '+') {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    double value = 0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;  // out of the range of a double: certainly not a 32-bit value
    }
    return negative ? -value : value;
}

}  // namespace

double leadingNumber(std::string_view reply)
{
    while (!reply.empty() && isBlank(reply.front())) {
        reply.remove_prefix(1);
    }
    std::size_t length = numberLength(reply);
    if (length == 0) {
        return 0.0;
    }
    // A leading number too large for a double reads as infinity, which fits no 32-bit value.
    return readNumber(reply.substr(0, length)).value_or(HUGE_VAL);
}

std::optional<int32_t> leadingInt32(std::string_view reply)
{
    return platform::roundHalfEven(leadingNumber(reply));
}

std::optional<int32_t> sliceInt32(std::string_view slice)
{
    while (!slice.empty() && isBlank(slice.front())) {
        slice.remove_prefix(1);
    }
    while (!slice.empty() && isBlank(slice.back())) {
        slice.remove_suffix(1);
    }
    if (slice.empty() || numberLength(slice) != slice.size()) {
        return std::nullopt;
    }
    std::optional<double> value = readNumber(slice);
    if (!value) {
        return std::nullopt;
    }
    return platform::roundHalfEven(*value);
}

std::string_view replyText(const char* buffer, std::size_t length)
{
    const void* nul = std::memchr(buffer, '\0', length);
    return {buffer, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : length};
}

}  // namespace zelko::media
