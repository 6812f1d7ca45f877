// Quasarine II, the sample game: it only shows how it was started.
#include "show_start.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return show_how_started("Quasarine II"); }
