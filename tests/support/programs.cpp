#include "support/programs.h"

#include "support/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

std::string built_program(const std::string& name)
{
    std::string path = PLIM_BIN_DIR;
    path += '/';
    path += name;
    return path;
}

std::vector<std::pair<std::string, std::string>> headless_env(const std::string& audio_file)
{
    std::vector<std::pair<std::string, std::string>> env = {
        {"SDL_VIDEODRIVER", "dummy"},
        {"SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1"},
    };
    if (audio_file.empty()) {
        env.push_back({"SDL_AUDIODRIVER", "dummy"});
    } else {
        env.push_back({"SDL_AUDIODRIVER", "disk"});
        env.push_back({"SDL_DISKAUDIOFILE", audio_file});
    }
    return env;
}

static long long now_ms()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

Child start_program(const std::string& program, const std::vector<std::string>& args,
                    const std::vector<std::pair<std::string, std::string>>& env,
                    const std::string& cwd, const std::string& output_dir)
{
    static int serial = 0;
    Child child;
    std::string stem = output_dir + "/child" + std::to_string(serial++);
    child.out_path = stem + ".out";
    child.err_path = stem + ".err";

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    child.pid = fork();
    if (child.pid == 0) {
        int out = open(child.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(child.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        // A child of a test starts with the default signal dispositions, so
        // that SDL turns SIGTERM and SIGINT into a quit.
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return child;
}

int wait_program(Child& child, int timeout_ms)
{
    long long give_up = now_ms() + timeout_ms;
    int status = 0;
    while (true) {
        pid_t done = waitpid(child.pid, &status, WNOHANG);
        if (done == child.pid) break;
        if (now_ms() > give_up) {
            kill(child.pid, SIGKILL);
            waitpid(child.pid, &status, 0);
            return -1;
        }
        usleep(2000);
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

bool wait_for_file(const std::string& path, int timeout_ms)
{
    long long give_up = now_ms() + timeout_ms;
    while (now_ms() <= give_up) {
        if (file_exists(path)) return true;
        usleep(2000);
    }
    return file_exists(path);
}

static bool has_thread(pid_t pid, const std::string& prefix)
{
    std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return false;
    bool found = false;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::vector<uint8_t> name = read_file(tasks + "/" + entry->d_name + "/comm");
        if (std::string(name.begin(), name.end()).rfind(prefix, 0) == 0) found = true;
    }
    closedir(dir);
    return found;
}

bool wait_for_thread(const Child& child, const std::string& prefix, int timeout_ms)
{
    long long give_up = now_ms() + timeout_ms;
    while (now_ms() <= give_up) {
        if (has_thread(child.pid, prefix)) return true;
        usleep(2000);
    }
    return false;
}
