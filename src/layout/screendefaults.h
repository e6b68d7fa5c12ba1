// The settings defaults that depend on the screen, for the reader and leafturner-cli alike.
#pragma once

#include "settings/parablock.h"

// With a real screen: its available width and the palette's window colour. Without one (no GUI
// application, or the offscreen and minimal platforms): a 1920-pixel-wide screen and white.
ParaScreen ScreenDefaults();
