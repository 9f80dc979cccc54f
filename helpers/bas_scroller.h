#pragma once

#include <QString>
#include <cstdint>

class PictureBox;

namespace basScroller {

// One pass of `Text` from the right edge of Target to beyond its left edge, each character on
// a sine wave, in a monospaced face. Delay is in hundredths of a second per step; Amplitude in
// character rows; Color in the 0x00BBGGRR form. Processes window events while it waits and
// returns early when Target is destroyed during the pass.
void ScrollText(PictureBox* Target, const QString& Text, int16_t Size, double Delay, double Amplitude,
                uint32_t Color);

}  // namespace basScroller
