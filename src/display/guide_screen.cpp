// The guide: which control does what, and a prompt to go on.
#include "display/guide_screen.h"

#include "display/grey.h"
#include "display/text.h"

constexpr char TITLE[] = "HOW TO WAKE THE GRID";
constexpr int TITLE_SCALE = 3;
constexpr int TITLE_TOP = 28;
constexpr int RULE_LEFT = 80;
constexpr int RULE_RIGHT = 560;
constexpr int RULE_Y = 68;
constexpr int GUIDE_TOP = 78;
constexpr int GUIDE_ROW_GAP = 25;
constexpr int GUIDE_SCALE = 2;
constexpr int CONTROL_X = 76;
constexpr int ACTION_X = 390;
constexpr char PROMPT[] = "PRESS A BUTTON";
constexpr int PROMPT_SCALE = 3;
constexpr int PROMPT_TOP = 414;
constexpr uint8_t GREY_BACKGROUND = 0;
constexpr uint8_t GREY_TITLE = 255;
constexpr uint8_t GREY_RULE = 90;
constexpr uint8_t GREY_CONTROL = 235;
constexpr uint8_t GREY_ACTION = 160;
constexpr uint8_t GREY_PROMPT = 255;

namespace {

struct GuideRow {
    const char* control;
    const char* action;
};

}  // namespace

constexpr int GUIDE_ROW_COUNT = 12;
// The guide's table, top to bottom.
constexpr GuideRow GUIDE_ROWS[GUIDE_ROW_COUNT] = {
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
    set_grey(renderer, GREY_BACKGROUND);
    SDL_RenderClear(renderer);
    draw_text(renderer, centred_x(TITLE, TITLE_SCALE), TITLE_TOP, TITLE, TITLE_SCALE, GREY_TITLE);
    set_grey(renderer, GREY_RULE);
    SDL_RenderDrawLine(renderer, RULE_LEFT, RULE_Y, RULE_RIGHT, RULE_Y);
    for (int k = 0; k < GUIDE_ROW_COUNT; k++) {
        int32_t y = GUIDE_TOP + GUIDE_ROW_GAP * k;
        draw_text(renderer, CONTROL_X, y, GUIDE_ROWS[k].control, GUIDE_SCALE, GREY_CONTROL);
        draw_text(renderer, ACTION_X, y, GUIDE_ROWS[k].action, GUIDE_SCALE, GREY_ACTION);
    }
    draw_text(renderer, centred_x(PROMPT, PROMPT_SCALE), PROMPT_TOP, PROMPT, PROMPT_SCALE,
              GREY_PROMPT);
}
