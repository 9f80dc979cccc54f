#pragma once

#include <QIcon>

// The window's 32 x 32 icon: a green play triangle inside a green ring on black, the player's
// own colours. Drawn when asked; needs the GUI application to exist.
QIcon ZelkoWindowIcon();
