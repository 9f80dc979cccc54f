// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

// The time arithmetic of the window: the length breakdown made when a file starts, and the
// elapsed time the monitor derives from the whole-number percentage played.
namespace zelko::player {

// Seconds below 10 get a leading "0": 5 -> "05", 27 -> "27".
QString twoDigitSeconds(int32_t seconds);

struct LengthBreakdown {
    double totalSeconds = 0;  // milliseconds / 1000.0
    int32_t minutes = 0;      // floor(totalSeconds / 60)
    int32_t secondsPart = 0;  // whole seconds left over, the fraction dropped
    QString secondsText;      // secondsPart as shown
};
LengthBreakdown breakDownLength(int32_t lengthMs);

struct ElapsedTime {
    double seconds = 0;       // percent x total / 100
    double minutes = 0;       // floor(seconds / 60)
    int32_t secondsPart = 0;  // floored above 59 seconds, rounded below
    QString secondsText;
};
ElapsedTime elapsedFromPercent(int32_t percent, double totalSeconds);

// The caption of the time label: "1:43 / 3:27". Never a negative minute count: a percentage
// of -1 (position unknown) shows "-:--" for the elapsed part, a length that could not be read
// (negative minutes) "-:--" for the length part.
QString timeCaption(int32_t percent, const ElapsedTime& elapsed, int32_t totalMinutes, const QString& totalSecondsText);

}  // namespace zelko::player
