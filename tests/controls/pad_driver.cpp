// Plays the real program (start-up, frame loop, shutdown) with a virtual pad
// that follows a script, for the whole-program tests.
//
//   pad_driver controller|joystick|keys SCRIPT DIR
//
// controller: a virtual game controller (buttons are SDL controller buttons,
// axes 0..5 are the left stick, right stick and triggers); joystick: a plain
// virtual joystick with 41 buttons and 2 axes (buttons are pad numbers);
// keys: no pad at all, the program run as with --keys.
// The program keeps its song in DIR.  Script lines, run in order:
//   down B | up B     button B of the virtual device, then one frame
//   tap B [N]         down, one frame, up, one frame; N times (default once)
//   axis A V          axis A to V, then one frame
//   key NAME          a key press (SDL key name), then one frame
//   hold NAME         a key press by position (SDL scancode name, _ for a space),
//                     then one frame
//   let NAME          its release, then one frame
//   again NAME        an auto-repeated press of it, then one frame
//   type NAME         press and release in the same frame, then one more frame
//   touch N | lift N  the touch pad presses or releases pad button N, then one frame
//   frames N          N frames
//   wait MS           frames until MS milliseconds have passed
//   mark              print "mark=F": F frames of sound have reached the disk
//                     driver's file (SDL_DISKAUDIOFILE) so far
//   audio N           frames until N more frames of sound have reached that
//                     file since the last mark; a test waits on what was
//                     played, however slowly the machine runs
//   show              print the state on one line
// Blank lines and lines starting with '#' are skipped, and anything after a
// command's numbers is ignored, so a line may end in a comment.  The state is printed
// once more at the end.  Exit status: 0 when the program quit in the frame of
// the last command; 20 when the script ended without a quit; 21 when it quit
// before the end; 22 when start-up opened the wrong kind of device; 23 for a
// bad script; otherwise the start-up's own failure status.
#include "app/platform.h"
#include "controls/input.h"

#include <SDL.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr int EXIT_NO_QUIT = 20;
constexpr int EXIT_EARLY_QUIT = 21;
constexpr int EXIT_WRONG_DEVICE = 22;
constexpr int EXIT_BAD_SCRIPT = 23;
constexpr int JOYSTICK_BUTTONS = 41;  // raw buttons 0..40
constexpr int FRAME_BYTES = 4;        // what the disk driver writes per stereo frame
constexpr Uint32 AUDIO_GIVE_UP_MS = 50000;

struct Driver {
    App app;
    SDL_Joystick* pad = nullptr;
    bool quit = false;
    long marked_frames = 0;  // audio frames written at the last mark
};

// Frames the disk audio driver has written so far; 0 without one.
static long audio_frames_written()
{
    const char* path = std::getenv("SDL_DISKAUDIOFILE");
    struct stat info;
    if (!path || stat(path, &info) != 0) return 0;
    return static_cast<long>(info.st_size) / FRAME_BYTES;
}

static void frame(Driver& driver)
{
    if (!driver.quit && !run_frame(driver.app)) driver.quit = true;
}

static void show(const Driver& driver)
{
    const AppState& s = *driver.app.state;
    int lit = 0;
    for (const auto& row : s.grid)
        for (uint8_t cell : row) lit += cell != 0;
    std::printf(
        "screen=%d bank=%d voice=%d pace=%d wobble=%d echo=%d space=%d resting=%d "
        "row=%d col=%d lit=%d message=%s\n",
        s.screen.load(), s.bank.load(), s.voice.load(), s.pace.load(), s.wobble.load(),
        s.echo.load(), s.space.load(), s.resting.load(), s.cursor_row, s.cursor_col, lit,
        s.message);
    std::fflush(stdout);
}

// A key event by position, as the keyboard sends it: the key that lies there
// on this layout, repeat set for the keyboard's own auto-repeat.
static void push_key(SDL_Scancode scancode, bool down, bool repeat)
{
    SDL_Event event;
    SDL_zero(event);
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    SDL_PushEvent(&event);
}

// One script line.  False for a line that cannot be understood.
static bool run_command(Driver& driver, const char* line)
{
    char word[16];
    char name[32];
    int a = 0;
    int b = 0;
    if (std::sscanf(line, "%15s", word) != 1 || word[0] == '#') return true;
    if (std::strcmp(word, "down") == 0 || std::strcmp(word, "up") == 0) {
        if (std::sscanf(line, "%*s %d", &a) != 1) return false;
        SDL_JoystickSetVirtualButton(driver.pad, a, word[0] == 'd' ? SDL_PRESSED : SDL_RELEASED);
        frame(driver);
    } else if (std::strcmp(word, "tap") == 0) {
        int count = std::sscanf(line, "%*s %d %d", &a, &b);
        if (count < 1) return false;
        for (int i = 0; i < (count == 2 ? b : 1); i++) {
            SDL_JoystickSetVirtualButton(driver.pad, a, SDL_PRESSED);
            frame(driver);
            SDL_JoystickSetVirtualButton(driver.pad, a, SDL_RELEASED);
            frame(driver);
        }
    } else if (std::strcmp(word, "axis") == 0) {
        if (std::sscanf(line, "%*s %d %d", &a, &b) != 2) return false;
        SDL_JoystickSetVirtualAxis(driver.pad, a, static_cast<Sint16>(b));
        frame(driver);
    } else if (std::strcmp(word, "key") == 0) {
        if (std::sscanf(line, "%*s %31s", name) != 1) return false;
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = SDL_GetKeyFromName(name);
        if (event.key.keysym.sym == SDLK_UNKNOWN) return false;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
        SDL_PushEvent(&event);
        frame(driver);
    } else if (std::strcmp(word, "hold") == 0 || std::strcmp(word, "let") == 0 ||
               std::strcmp(word, "again") == 0 || std::strcmp(word, "type") == 0) {
        if (std::sscanf(line, "%*s %31s", name) != 1) return false;
        for (char& c : name)
            if (c == '_') c = ' ';  // Left_Shift names "Left Shift"
        SDL_Scancode scancode = SDL_GetScancodeFromName(name);
        if (scancode == SDL_SCANCODE_UNKNOWN) return false;
        bool down = word[0] != 'l';
        bool up = word[0] == 'l' || word[0] == 't';
        if (down) push_key(scancode, true, word[0] == 'a');
        if (up) push_key(scancode, false, false);
        frame(driver);
        if (down && up) frame(driver);
    } else if (std::strcmp(word, "touch") == 0 || std::strcmp(word, "lift") == 0) {
        if (std::sscanf(line, "%*s %d", &a) != 1) return false;
        SDL_Event event = touch_pad_event(driver.app.input, a, word[0] == 't');
        SDL_PushEvent(&event);
        frame(driver);
    } else if (std::strcmp(word, "frames") == 0) {
        if (std::sscanf(line, "%*s %d", &a) != 1) return false;
        for (int i = 0; i < a; i++) frame(driver);
    } else if (std::strcmp(word, "wait") == 0) {
        if (std::sscanf(line, "%*s %d", &a) != 1) return false;
        Uint32 start = SDL_GetTicks();
        do frame(driver);
        while (!driver.quit && SDL_GetTicks() - start < static_cast<Uint32>(a));
    } else if (std::strcmp(word, "mark") == 0) {
        driver.marked_frames = audio_frames_written();
        std::printf("mark=%ld\n", driver.marked_frames);
        std::fflush(stdout);
    } else if (std::strcmp(word, "audio") == 0) {
        if (std::sscanf(line, "%*s %d", &a) != 1) return false;
        Uint32 start = SDL_GetTicks();
        do frame(driver);
        while (!driver.quit && audio_frames_written() - driver.marked_frames < a &&
               SDL_GetTicks() - start < AUDIO_GIVE_UP_MS);
    } else if (std::strcmp(word, "show") == 0) {
        show(driver);
    } else {
        return false;
    }
    return true;
}

// The virtual pad must exist before start-up looks for the first device.
static bool attach_pad(bool controller)
{
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    if (controller) {
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
        desc.name = "PLIM test controller";
    } else {
        desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
        desc.naxes = 2;
        desc.nbuttons = JOYSTICK_BUTTONS;
        desc.nhats = 1;
        desc.name = "PLIM test joystick";
    }
    return SDL_JoystickAttachVirtualEx(&desc) >= 0;
}

int main(int argc, char** argv)
{
    if (argc != 4) return EXIT_BAD_SCRIPT;
    bool controller = std::strcmp(argv[1], "controller") == 0;
    bool keys = std::strcmp(argv[1], "keys") == 0;
    FILE* script = std::fopen(argv[2], "r");
    if (!script) return EXIT_BAD_SCRIPT;

    // Under the dummy video driver the window never has focus; without this
    // hint SDL would drop every pad event.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_Init(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) < 0 ||
        (!keys && !attach_pad(controller))) {
        std::fclose(script);
        return EXIT_WRONG_DEVICE;
    }

    static AppState state;
    Driver driver;
    int failure = app_start(driver.app, state, argv[3], WINDOW_FULL_SCREEN);
    if (failure != 0) {
        std::fclose(script);
        return failure;
    }
    driver.pad =
        controller ? SDL_GameControllerGetJoystick(driver.app.controller) : driver.app.joystick;
    driver.app.input.keys_play_pad = keys;  // as --keys makes it
    bool right_device = keys         ? !driver.app.joystick && !driver.app.controller
                        : controller ? driver.app.controller && !driver.app.joystick
                                     : driver.app.joystick && !driver.app.controller;

    int status = 0;
    char line[256];
    if (!right_device) status = EXIT_WRONG_DEVICE;
    while (status == 0 && std::fgets(line, sizeof line, script)) {
        if (driver.quit) {
            char word[16];
            if (std::sscanf(line, "%15s", word) == 1 && word[0] != '#') status = EXIT_EARLY_QUIT;
            break;
        }
        if (!run_command(driver, line)) status = EXIT_BAD_SCRIPT;
    }
    std::fclose(script);
    if (status == 0 && !driver.quit) status = EXIT_NO_QUIT;
    show(driver);
    app_stop(driver.app);
    return status;
}
