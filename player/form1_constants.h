// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zelko {

// What the files of Form1 share: the transport toolbar's button indexes and the height of the
// normal window, in twips, which is also where the video area begins.
namespace form1 {

inline constexpr int kPlayButton = 1;
inline constexpr int kPauseButton = 2;
inline constexpr int kStopButton = 3;
inline constexpr int kSlowMotionButton = 4;
inline constexpr int kFullscreenButton = 5;

inline constexpr int kNormalHeightTwips = 3570;

// The playlist files, in the current folder: titles and full paths.
inline constexpr char kTitlesFile[] = "pl1.txt";
inline constexpr char kPathsFile[] = "pl2.txt";

}  // namespace form1

}  // namespace zelko
