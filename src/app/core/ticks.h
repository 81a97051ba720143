// Millisecond ticks of the main thread: SDL_GetTicks held as signed 32 bits.
#pragma once

#include <SDL.h>

#include <cstdint>

inline int32_t ticks_now() { return static_cast<int32_t>(SDL_GetTicks()); }

// now + ms, wrapping like the 32-bit tick counter does.
inline int32_t ticks_after(int32_t now, int32_t ms)
{
    return static_cast<int32_t>(static_cast<uint32_t>(now) + static_cast<uint32_t>(ms));
}

// A deadline has passed when deadline - now, in signed 32-bit arithmetic, is below 1.
inline bool deadline_passed(int32_t deadline, int32_t now)
{
    return static_cast<int32_t>(static_cast<uint32_t>(deadline) - static_cast<uint32_t>(now)) < 1;
}
