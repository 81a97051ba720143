// Event dispatch.  Until the controls land only quitting is handled.
#include "controls/input.h"

void handle_event(AppState&, InputState&, const SDL_Event& event, int32_t, bool& running)
{
    if (event.type == SDL_QUIT) running = false;
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) running = false;
}
