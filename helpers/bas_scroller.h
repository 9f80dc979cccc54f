// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

namespace zelko {

class PictureBox;

namespace basScroller {

// Starts one pass of `Text` from the right edge of Target to beyond its left edge, each
// character on a sine wave, in a monospaced face, and returns. The pass runs on the event loop:
// before each step it pauses DelayHundredths (hundredths of a second), during which the window
// handles its events as at any other time. Amplitude is in character rows; Color in the 0x00BBGGRR form.
// A call for a target whose pass still runs is dropped, so passes never pile up; a pass ends
// with its target.
void ScrollText(PictureBox* Target, const QString& Text, int16_t Size, double DelayHundredths, double Amplitude,
                uint32_t Color);

// True while a pass runs on Target.
bool IsScrolling(const PictureBox* Target);

// Ends Target's pass where it stands (the window is closing); nothing when none runs.
void EndPass(PictureBox* Target);

// The number of steps of a pass: floor((floor(scaleWidth) - endX) / 0.5) + 1.
int StepCount(double scaleWidth, double fontSize, int characters);

}  // namespace basScroller

}  // namespace zelko
