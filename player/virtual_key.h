// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtCore/qnamespace.h>

namespace zelko {

// The key codes the window's key handler reckons with: the Windows virtual-key numbers, in
// which letters and digits are their upper-case ASCII codes and F1 is 112.
namespace virtual_key {

inline constexpr int kEscape = 27;
inline constexpr int kF1 = 112;
inline constexpr int kF2 = 113;
inline constexpr int kF3 = 114;
inline constexpr int kF4 = 115;

// The code of a Qt key; 0 for a key without one.
int FromQtKey(int qtKey);

// The shift state as a bit set: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState(Qt::KeyboardModifiers modifiers);

}  // namespace virtual_key

}  // namespace zelko
