// Which actions take the audio lock, and that the cells and the voices'
// gates change only while it is held.  This program defines
// SDL_LockAudioDevice and SDL_UnlockAudioDevice itself; being part of the
// executable, they take the place of SDL's for the code linked into it.
#include "pad_fixture.h"

#include <cstring>

namespace {

// What the audio callback reads and only the lock may change: the cells,
// and the gates (every voice start sets one, every silencing clears them).
struct Locked {
    uint8_t grid[GRID_ROWS][GRID_COLS] = {};
    uint8_t gate[GRID_ROWS] = {};
};

Locked locked_part(const AppState& state)
{
    Locked part;
    std::memcpy(part.grid, state.grid, sizeof part.grid);
    std::memcpy(part.gate, state.gate, sizeof part.gate);
    return part;
}

bool same(const Locked& a, const Locked& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct LockLog {
    int depth = 0;  // locks not yet unlocked
    int locks = 0;  // locks taken since the last clear
    const AppState* watched = nullptr;
    Locked at_lock;
    Locked at_unlock;
};

LockLog lock_log;

}  // namespace

extern "C" void SDLCALL SDL_LockAudioDevice(SDL_AudioDeviceID)
{
    if (lock_log.depth == 0 && lock_log.watched) lock_log.at_lock = locked_part(*lock_log.watched);
    lock_log.depth++;
    lock_log.locks++;
}

extern "C" void SDLCALL SDL_UnlockAudioDevice(SDL_AudioDeviceID)
{
    lock_log.depth--;
    if (lock_log.depth == 0 && lock_log.watched)
        lock_log.at_unlock = locked_part(*lock_log.watched);
}

struct AudioLock : PadFixture {
    AudioLock()
    {
        state.audio_device = 2;  // any id: the lock functions above stand in for SDL's
        go_to(SCREEN_GRID);
        lock_log = LockLog{};
        lock_log.watched = &state;
    }
    ~AudioLock() override { lock_log.watched = nullptr; }

    // Runs one action and returns how many locks it took.  Every lock must be
    // released again, and the grid and the gates may change only while the
    // lock is held.
    template <typename Action>
    int locks_taken(Action action)
    {
        Locked before = locked_part(state);
        lock_log.locks = 0;
        action();
        EXPECT_EQ(lock_log.depth, 0) << "a lock was left held";
        if (lock_log.locks == 0) {
            EXPECT_TRUE(same(before, locked_part(state)))
                << "the grid or a gate changed without the lock";
        } else if (lock_log.locks == 1) {
            EXPECT_TRUE(same(before, lock_log.at_lock))
                << "the grid or a gate changed before the lock";
            EXPECT_TRUE(same(locked_part(state), lock_log.at_unlock))
                << "the grid or a gate changed after the unlock";
        }
        return lock_log.locks;
    }

    int open_gates() const
    {
        int count = 0;
        for (uint8_t gate : state.gate) count += gate != 0;
        return count;
    }
};

TEST_F(AudioLock, EveryCellWriteHoldsTheLockOnce)
{
    EXPECT_EQ(locks_taken([&] { press(PAD_A); }), 1);    // PLACE
    EXPECT_EQ(locks_taken([&] { tap(PAD_RIGHT); }), 1);  // a painting move
    EXPECT_EQ(locks_taken([&] { frame(); }), 0);         // nothing due yet
    now += 220;
    EXPECT_EQ(locks_taken([&] { frame(); }), 0);  // the D-pad was released
    EXPECT_EQ(locks_taken([&] { release(PAD_A); }), 0);
    EXPECT_EQ(locks_taken([&] { press(PAD_B); }), 1);     // REMOVE
    EXPECT_EQ(locks_taken([&] { press(PAD_DOWN); }), 1);  // painting dark
    now += 220;
    EXPECT_EQ(locks_taken([&] { frame(); }), 1);  // the D-pad repeat paints
    EXPECT_EQ(locks_taken([&] {
                  send(joy_axis_event(0, 30000));
                  frame();
              }),
              1);                                    // the stick
    EXPECT_EQ(locks_taken([&] { tap(PAD_X); }), 1);  // EMPTY
    EXPECT_EQ(lit_count(), 0);
}

TEST_F(AudioLock, MovesWithoutPaintingAndSettingsTakeNoLock)
{
    state.grid[0][1] = 1;
    for (int pad : {PAD_RIGHT, PAD_DOWN, PAD_Y, PAD_L1, PAD_R1, PAD_L2, PAD_R2, PAD_START}) {
        EXPECT_EQ(locks_taken([&] { tap(pad); }), 0) << "pad button " << pad;
    }
    press(PAD_SELECT);
    for (int pad : {PAD_UP, PAD_DOWN, PAD_LEFT, PAD_RIGHT})
        EXPECT_EQ(locks_taken([&] { tap(pad); }), 0) << "SELECT + " << pad;
    release(PAD_SELECT);
    send(joy_axis_event(1, 30000));
    EXPECT_EQ(locks_taken([&] { frame(); }), 0);
}

TEST_F(AudioLock, PickerAndGuideChangesTakeNoLockButTheAuditionAndTheResetsDo)
{
    go_to(SCREEN_PICKER);
    EXPECT_EQ(locks_taken([&] {
                  tap(PAD_DOWN);
                  key(SDLK_LEFT);
              }),
              0);
    // The bank changes restarted the audition: its notes are 80, 235 and 390
    // ms away, and each starts its voice under the lock.
    EXPECT_EQ(locks_taken([&] { frame(); }), 0);
    for (int note = 1; note <= 3; note++) {
        now += note == 1 ? 80 : 155;
        EXPECT_EQ(locks_taken([&] { frame(); }), 1) << "note " << note;
        EXPECT_EQ(state.preview_count, note);
    }
    EXPECT_EQ(open_gates(), 3);
    now += 1000;
    EXPECT_EQ(locks_taken([&] { frame(); }), 0);     // the audition is over
    EXPECT_EQ(locks_taken([&] { tap(PAD_A); }), 0);  // to the guide
    EXPECT_EQ(locks_taken([&] {
                  press(PAD_SELECT);
                  press(PAD_START);
              }),
              0);  // quits
    EXPECT_FALSE(input.running);
    input.held_buttons = 0;
    EXPECT_EQ(locks_taken([&] { tap(PAD_A); }), 1);  // enter_grid, which closes the gates
    EXPECT_EQ(state.screen.load(), SCREEN_GRID);
    EXPECT_EQ(open_gates(), 0);
    state.grid[2][2] = 1;
    EXPECT_EQ(locks_taken([&] { tap(PAD_16); }), 1);  // fresh_start, everything under one lock
    EXPECT_EQ(lit_count(), 0);
    press(PAD_SELECT);
    state.grid[3][3] = 1;
    EXPECT_EQ(locks_taken([&] { press(PAD_X); }), 1);
    EXPECT_EQ(lit_count(), 0);
}
