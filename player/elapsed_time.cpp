// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/elapsed_time.h"

#include <cmath>

#include "platform/rounding.h"

namespace zelko::player {

QString twoDigitSeconds(int32_t seconds)
{
    const QString digits = QString::number(seconds);
    return seconds < 10 ? QStringLiteral("0") + digits : digits;
}

LengthBreakdown breakDownLength(int32_t lengthMs)
{
    LengthBreakdown length;
    length.totalSeconds = lengthMs / 1000.0;
    length.minutes = static_cast<int32_t>(std::floor(length.totalSeconds / 60));
    length.secondsPart = static_cast<int32_t>(std::trunc(length.totalSeconds - 60.0 * length.minutes));
    length.secondsText = twoDigitSeconds(length.secondsPart);
    return length;
}

ElapsedTime elapsedFromPercent(int32_t percent, double totalSeconds)
{
    ElapsedTime elapsed;
    elapsed.seconds = percent * totalSeconds / 100;
    elapsed.minutes = std::floor(elapsed.seconds / 60);
    // Above 59 s the seconds are floored so that 60.03 s reads 1:00; below, they are rounded
    // (57.96 s reads 0:58). 59.5 s is above 59 and floors, so "60" never shows.
    if (elapsed.seconds > 59) {
        elapsed.secondsPart = static_cast<int32_t>(std::floor(elapsed.seconds - 60 * elapsed.minutes));
    } else {
        elapsed.secondsPart = zelko::platform::roundHalfEven(elapsed.seconds).value_or(0);
    }
    elapsed.secondsText = twoDigitSeconds(elapsed.secondsPart);
    return elapsed;
}

QString timeCaption(int32_t percent, const ElapsedTime& elapsed, int32_t totalMinutes, const QString& totalSecondsText)
{
    // A part that cannot be known (no position, or a length that could not be read and was
    // broken down from -1 ms) shows "-:--" rather than a negative time.
    const QString unknown = QStringLiteral("-:--");
    const QString played =
        percent == -1 || elapsed.minutes < 0
            ? unknown
            : QString::number(static_cast<long long>(elapsed.minutes)) + QLatin1Char(':') + elapsed.secondsText;
    const QString length =
        totalMinutes < 0 ? unknown : QString::number(totalMinutes) + QLatin1Char(':') + totalSecondsText;
    return played + QStringLiteral(" / ") + length;
}

}  // namespace zelko::player
