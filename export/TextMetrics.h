// The one text measurement of the export writers: Qt's font metrics at 96
// pixels per inch, with the Liberation fonts standing in for Arial, Times
// New Roman and Courier New.
#pragma once

#include <QFont>

#include "Graphics.h"

struct TTextExtent {
  int Width = 0;
  int Height = 0;
};

// The Qt font that draws and measures a TFont.
QFont ToQFont(const TFont& font);
// Width and height in pixels of the (code page) text set in the font.
TTextExtent MeasureText(const TFont& font, const AnsiString& text);
// Creates an offscreen Qt application when none exists, so that fonts can be
// measured and drawn headless.
void EnsureGuiApplication();
