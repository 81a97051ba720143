// The three screens.  Until the display lands each one is a black canvas.
#include "display/screens.h"

static void clear_black(SDL_Renderer* renderer)
{
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
}

void draw_picker_screen(SDL_Renderer* renderer, const AppState&, uint32_t) { clear_black(renderer); }
void draw_guide_screen(SDL_Renderer* renderer) { clear_black(renderer); }
void draw_grid_screen(SDL_Renderer* renderer, AppState&, int32_t) { clear_black(renderer); }
