// Control actions.  Until the controls land nothing repeats.
#include "controls/actions.h"

void run_repeat_timers(AppState&, InputState&, int32_t) {}
