#pragma once
// The check pages' pictures as the Windows window draws them: the board (verify/MessageBoards.h)
// as round LEDs on a dark field in a case, amber for a monochrome display, else white, in a 32-bit
// DIB section; and the sheet's header picture, a little sign of the same look.

#include "verify/MessageBoards.h"

#include <windows.h>

// The scale a board's picture is drawn at: the screen's (dpi / 96), made smaller when the picture
// would not fit width x height pixels.
double BoardScaleToFit(const LedBoard& board, int dpi, int width, int height);

// The picture on an opaque backdrop (the colour around the case's round corners); null when no
// bitmap could be made. The caller deletes it.
HBITMAP DrawBoardBitmap(const LedBoard& board, bool amber, double scale, COLORREF backdrop);

// A square picture of size x size pixels for the wizard's header: a small sign with a few LEDs lit.
HBITMAP DrawHeaderBitmap(int size, COLORREF backdrop);
