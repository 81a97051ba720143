// The guide: which control does what, and a prompt to go on.
#include "display/guide_screen.h"

#include "display/text.h"

constexpr int GUIDE_TOP = 78;
constexpr int GUIDE_ROW_GAP = 25;
constexpr int CONTROL_X = 76;
constexpr int ACTION_X = 390;

const GuideRow GUIDE_ROWS[GUIDE_ROW_COUNT] = {
    {"D PAD", "MOVE"},
    {"SELECT + L R", "ECHO"},
    {"SELECT + U D", "SPACE"},
    {"A", "PLACE"},
    {"B", "REMOVE"},
    {"X", "EMPTY"},
    {"Y", "WOBBLE"},
    {"L1 R1", "PACE"},
    {"L2 R2", "VOICE"},
    {"START", "REST"},
    {"SELECT + X", "FRESH START"},
    {"SELECT + START", "LEAVE"},
};

void draw_guide_screen(SDL_Renderer* renderer)
{
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    draw_text(renderer, 141, 28, "HOW TO WAKE THE GRID", 3, 255);  // centred_x(20, 3)
    SDL_SetRenderDrawColor(renderer, 90, 90, 90, 255);
    SDL_RenderDrawLine(renderer, 80, 68, 560, 68);
    for (int k = 0; k < GUIDE_ROW_COUNT; k++) {
        int32_t y = GUIDE_TOP + GUIDE_ROW_GAP * k;
        draw_text(renderer, CONTROL_X, y, GUIDE_ROWS[k].control, 2, 235);
        draw_text(renderer, ACTION_X, y, GUIDE_ROWS[k].action, 2, 160);
    }
    draw_text(renderer, 195, 414, "PRESS A BUTTON", 3, 255);  // centred_x(14, 3)
}
