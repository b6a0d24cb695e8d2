#pragma once
// The pictures on the wizard's two check pages as the Qt window draws them (the boards themselves
// are verify/MessageBoards.h).

#include "verify/MessageBoards.h"

#include <QImage>

// The board as round LEDs on a dark field in a case: amber for a monochrome display, else white;
// at most about 480 x 200 pixels whatever the display's size.
QImage DrawBoard(const LedBoard& board, bool amber);
