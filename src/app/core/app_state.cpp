// The start values of the record, and the allocation of its three effect buffers.
#include "app/core/app_state.h"

#include <cstdlib>

const AppState START_STATE{};

bool allocate_buffers(AppState& state)
{
    state.delay_line = static_cast<float*>(std::calloc(DELAY_LENGTH, sizeof(float)));
    state.comb_a = static_cast<float*>(std::calloc(COMB_A_LENGTH, sizeof(float)));
    state.comb_b = static_cast<float*>(std::calloc(COMB_B_LENGTH, sizeof(float)));
    if (state.delay_line && state.comb_a && state.comb_b) return true;
    free_buffers(state);
    return false;
}

void free_buffers(AppState& state)
{
    std::free(state.delay_line);
    std::free(state.comb_a);
    std::free(state.comb_b);
    state.delay_line = nullptr;
    state.comb_a = nullptr;
    state.comb_b = nullptr;
}
