// Where the program differs between the desktop and the browser: how frames
// are run and spaced, how a pad that arrives late is taken, and how a saved
// song reaches lasting storage.  Everything else is the same code on both.
#pragma once

#include "app/app.h"

#include <cstdint>

// The pause that ends a frame.  Desktop: SDL_Delay(ms).  Browser: none; the
// page's timer spaces the frames and the browser runs in between.
void frame_pause(uint32_t ms);

// Runs frames until the player leaves, then shuts down with app_stop.
// Desktop: a loop that returns once shut down.  Browser: hands the frames to
// the page's timer and returns at once; app must outlive the call.  After the
// last frame the page is told that the program has ended.
void run_frames(App& app);
