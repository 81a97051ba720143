// Starting the built programs as child processes.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// Path of a program built next to the tests (plim, plim-render, a *_driver).
std::string built_program(const std::string& name);

// Environment for a headless run: dummy video, and audio to the given raw
// file through SDL's disk driver (or the dummy driver when empty).
std::vector<std::pair<std::string, std::string>> headless_env(const std::string& audio_file = "");

struct Child {
    pid_t pid = -1;
    std::string out_path;  // the child's standard output
    std::string err_path;  // the child's standard error
};

// Starts program with args in directory cwd, with extra environment variables
// set on top of the test's own.  Output goes to files in cwd's parent-less
// temp area given by output_dir.
Child start_program(const std::string& program, const std::vector<std::string>& args,
                    const std::vector<std::pair<std::string, std::string>>& env,
                    const std::string& cwd, const std::string& output_dir);

// Waits up to timeout_ms for the child.  Returns its exit status, 128 + signal
// when a signal ended it, or -1 when it had to be killed for running too long.
int wait_program(Child& child, int timeout_ms);

// Waits until path exists, up to timeout_ms.  True if it appeared.
bool wait_for_file(const std::string& path, int timeout_ms);

// Waits until the child has a thread whose name starts with prefix (SDL names
// its audio thread "SDLAudioP..."), up to timeout_ms.  True if one appeared.
bool wait_for_thread(const Child& child, const std::string& prefix, int timeout_ms);
