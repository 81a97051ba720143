// Where the program differs between the desktop and the browser: how the
// window is made, how frames are run and spaced, how a pad that arrives late
// is taken, and how a saved song reaches lasting storage.  Everything else is
// the same code on both.
#pragma once

#include "app/app.h"

// The whole program: start_plim, then frames until the player leaves, then
// app_stop.  Desktop: returns the exit status once shut down.  Browser: hands
// the frames to the page's timer and returns 0 at once; after the last frame
// the page is told that the program has ended.
int run_plim(int argc, char** argv);

// One frame of the loop: app_frame, then what its save did passed on where
// that matters, then the pause before the next frame.  Desktop: the pause is 4 ms.
// Browser: a pad that has appeared is opened first, a save written is handed
// to the page, and there is no pause (the page's timer spaces the frames).
// Returns false once the player has quit during the frame.
bool run_frame(App& app);
