#pragma once

#include <QString>
#include <cstdint>

class PictureBox;

namespace basScroller {

// One pass of `Text` from the right edge of Target to beyond its left edge, each character on
// a sine wave, in a monospaced face. Delay is in hundredths of a second per step; Amplitude in
// character rows; Color in the 0x00BBGGRR form. Processes window events while it waits and
// returns early when Target is destroyed during the pass. A call for a target that is already
// in the middle of a pass (from an event handled during that pass) returns at once.
void ScrollText(PictureBox* Target, const QString& Text, int16_t Size, double Delay, double Amplitude,
                uint32_t Color);

// True while a pass runs (on any target): a timer tick handled during a pass can drop itself.
bool IsScrolling();

// The number of steps of a pass: floor((floor(scaleWidth) - endX) / 0.5) + 1.
int StepCount(double scaleWidth, double fontSize, int characters);

}  // namespace basScroller
