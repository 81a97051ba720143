// Real-time rules: the audio callback allocates nothing, however busy the song
// and whatever the main thread changes between buffers.
//
// This program counts every allocation made in it: operator new is replaced
// here, and so is the malloc family (forwarded to the C library's own), or,
// under a sanitizer that owns malloc itself, the sanitizer's allocation hook
// counts instead.
#include "engine_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

static std::atomic<long> allocations{0};

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             size_t),
                                                         void (*free_hook)(const volatile void*));

static void count_allocation(const volatile void*, size_t) { allocations.fetch_add(1); }
static void ignore_free(const volatile void*) {}
static const int hooks_installed =
    __sanitizer_install_malloc_and_free_hooks(count_allocation, ignore_free);
#else
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);

void* malloc(size_t size)
{
    allocations.fetch_add(1);
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    allocations.fetch_add(1);
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size)
{
    allocations.fetch_add(1);
    return __libc_realloc(pointer, size);
}
void* aligned_alloc(size_t alignment, size_t size)
{
    allocations.fetch_add(1);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size)
{
    allocations.fetch_add(1);
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : ENOMEM;
}
void free(void* pointer) { __libc_free(pointer); }
}
static const int hooks_installed = 1;
#endif

// The replacements below pair malloc with free on purpose; GCC, seeing a
// replaced operator new inlined next to a replaced delete, warns otherwise.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

static void* counted_new(size_t size)
{
    allocations.fetch_add(1);
    void* pointer = std::malloc(size ? size : 1);
    if (!pointer) throw std::bad_alloc();
    return pointer;
}

void* operator new(size_t size) { return counted_new(size); }
void* operator new[](size_t size) { return counted_new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1);
    return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1);
    return std::malloc(size ? size : 1);
}
void operator delete(void* pointer) noexcept { std::free(pointer); }
void operator delete[](void* pointer) noexcept { std::free(pointer); }
void operator delete(void* pointer, size_t) noexcept { std::free(pointer); }
void operator delete[](void* pointer, size_t) noexcept { std::free(pointer); }

TEST(RealTime, TheCounterSeesNewAndMalloc)
{
    ASSERT_NE(hooks_installed, 0);
    long before = allocations.load();
    int* volatile number = new int(7);
    delete number;
    void* volatile block = std::malloc(64);
    std::free(block);
    EXPECT_GE(allocations.load() - before, 2);
}

TEST(RealTime, TheCallbackAllocatesNothingOnABusySong)
{
    Engine engine;
    AppState& state = engine.state;
    light_all(state);
    state.wobble.store(2);
    state.echo.store(3);
    state.space.store(3);
    state.screen.store(SCREEN_GRID);
    Uint8 buffer[512 * 4];

    long made = 0;
    for (int call = 0; call < 1000; call++) {
        // What the main thread may change between two buffers.
        state.bank.store(call / 37 % 3);
        state.voice.store(call / 11 % 3);
        state.pace.store(60 + call % 121);
        state.echo.store(call / 50 % 4);
        state.space.store(call / 70 % 4);
        state.wobble.store(call / 90 % 3);
        state.resting.store(call % 200 == 199);
        state.screen.store(call % 300 < 280 ? SCREEN_GRID : SCREEN_PICKER);
        if (call % 300 == 280) restart_audition(state, call);
        play_preview(state, call + 100);
        long before = allocations.load();
        audio_callback(&state, buffer, sizeof buffer);
        made += allocations.load() - before;
    }
    EXPECT_EQ(made, 0);
    EXPECT_GT(state.delay_pos, 0);
}
