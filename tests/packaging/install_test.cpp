// Installing into a prefix, the manual page, the desktop entry and the
// handheld port's launcher.
#include "support/files.h"
#include "support/programs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>

namespace {

struct Output {
    int status;
    std::string text;
};

// Runs a shell command line, standard error joined to standard output.
Output shell(const std::string& command)
{
    Output result{-1, ""};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) result.text.append(chunk, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool is_executable(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR);
}

// Writes an executable shell script.
void write_script(const std::string& path, const std::string& text)
{
    write_file(path, std::vector<uint8_t>(text.begin(), text.end()));
    ASSERT_EQ(chmod(path.c_str(), 0755), 0) << path;
}

std::string text_of(const std::string& path)
{
    std::vector<uint8_t> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(Install, PutsTheProgramsDesktopEntryAndManualPageUnderThePrefix)
{
    TempDir prefix;
    Output install = shell("cmake --install '" PLIM_BIN_DIR "' --prefix '" + prefix.path + "'");
    ASSERT_EQ(install.status, 0) << install.text;

    for (const char* program : {"plim", "plim-render", "plim-shot"})
        EXPECT_TRUE(is_executable(prefix.file("bin/") + program)) << program;
    EXPECT_TRUE(file_exists(prefix.file("share/applications/plim.desktop")));
    EXPECT_TRUE(file_exists(prefix.file("share/man/man6/plim.6")));
}

TEST(Install, TheManualPageRendersCleanlyWithEverySection)
{
    Output page = shell("MANWIDTH=80 man --warnings -l -P cat '" PLIM_SOURCE_DIR
                        "/packaging/plim.6'");
    ASSERT_EQ(page.status, 0) << page.text;
    EXPECT_EQ(page.text.find("warning"), std::string::npos) << page.text;
    for (const char* part : {"PLIM(6)", "CONTROLS", "SELECT + START", "FILES", "plim.state",
                             "EXIT STATUS", "ENVIRONMENT", "SDL_GAMECONTROLLERCONFIG_FILE"})
        EXPECT_NE(page.text.find(part), std::string::npos) << part;
}

TEST(Install, TheDesktopEntryIsValidAndKeepsTheSongInTheUsersDataFolder)
{
    std::string entry = PLIM_SOURCE_DIR "/packaging/plim.desktop";
    Output check = shell("desktop-file-validate '" + entry + "'");
    EXPECT_EQ(check.status, 0) << check.text;
    EXPECT_EQ(check.text, "");
    std::vector<uint8_t> bytes = read_file(entry);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("Categories=Game;"), std::string::npos);
    EXPECT_NE(text.find("exec plim \\\\\"\\\\$HOME/.local/share/plim\\\\\""), std::string::npos);
}

TEST(Install, TheHandheldLauncherStartsTheProcessorsProgramWithThePortsFolderAndPadMapping)
{
    // The port as unpacked from the archive, with stand-in programs that
    // record how the launcher started them, and a `uname` that names the
    // processor the test asks for.
    TempDir port;
    ASSERT_EQ(mkdir(port.file("plim").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(port.file("bin").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(port.file("data").c_str(), 0755), 0);
    write_file(port.file("plim/gamecontrollerdb.txt"), {});
    for (const char* arch : {"aarch64", "armhf"})
        write_script(port.file("plim/plim.") + arch,
                     "#!/bin/sh\n"
                     "{ echo \"program=$(basename \"$0\")\"; echo \"args=$*\"; echo \"pwd=$(pwd)\";"
                     " echo \"config=$SDL_GAMECONTROLLERCONFIG\";"
                     " echo \"file=$SDL_GAMECONTROLLERCONFIG_FILE\";"
                     " echo \"libs=$LD_LIBRARY_PATH\"; } > \"$1/started\"\n");
    write_script(port.file("bin/uname"), "#!/bin/sh\necho \"$MACHINE\"\n");
    Output copy = shell("cp '" PLIM_SOURCE_DIR "/packaging/handheld/PLIM.sh' '" + port.path + "/'");
    ASSERT_EQ(copy.status, 0) << copy.text;
    std::string started_file = port.file("plim/conf/started");
    auto launch = [&](const std::string& machine, const std::string& environment) {
        remove(started_file.c_str());
        return shell("env -u SDL_GAMECONTROLLERCONFIG -u SDL_GAMECONTROLLERCONFIG_FILE"
                     " PATH='" + port.path + "/bin':\"$PATH\" XDG_DATA_HOME='" + port.path +
                     "/data' MACHINE=" + machine + " LD_LIBRARY_PATH=/opt/x " + environment +
                     " '" + port.path + "/PLIM.sh'");
    };

    // A 64-bit handheld without a mapping of its own: the port's mapping file.
    Output run = launch("aarch64", "");
    ASSERT_EQ(run.status, 0) << run.text;
    std::string started = text_of(started_file);
    EXPECT_NE(started.find("program=plim.aarch64\n"), std::string::npos) << started;
    EXPECT_NE(started.find("args=" + port.path + "/plim/conf\n"), std::string::npos) << started;
    EXPECT_NE(started.find("pwd=" + port.path + "/plim\n"), std::string::npos) << started;
    EXPECT_NE(started.find("config=\nfile=" + port.path + "/plim/gamecontrollerdb.txt\n"),
              std::string::npos)
        << started;
    EXPECT_NE(started.find("libs=" + port.path + "/plim/libs.aarch64:/opt/x\n"), std::string::npos)
        << started;

    // A 32-bit one whose firmware exports its mapping: left alone.
    run = launch("armv7l", "SDL_GAMECONTROLLERCONFIG='x,y'");
    ASSERT_EQ(run.status, 0) << run.text;
    started = text_of(started_file);
    EXPECT_NE(started.find("program=plim.armhf\n"), std::string::npos) << started;
    EXPECT_NE(started.find("config=x,y\nfile=\n"), std::string::npos) << started;
    EXPECT_NE(started.find("libs=" + port.path + "/plim/libs.armhf:/opt/x\n"), std::string::npos)
        << started;

    // The port manager's control folder works out the device's mapping.
    ASSERT_EQ(mkdir(port.file("data/PortMaster").c_str(), 0755), 0);
    std::string control = "get_controls() { sdl_controllerconfig=\"pad,from,$controlfolder\"; }\n";
    write_file(port.file("data/PortMaster/control.txt"),
               std::vector<uint8_t>(control.begin(), control.end()));
    run = launch("aarch64", "");
    ASSERT_EQ(run.status, 0) << run.text;
    started = text_of(started_file);
    EXPECT_NE(started.find("config=pad,from," + port.path + "/data/PortMaster\nfile=\n"),
              std::string::npos)
        << started;

    // A processor the port has no program for: said so, nothing started.
    run = launch("x86_64", "");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.text.find("no program for this processor (x86_64)"), std::string::npos) << run.text;
    EXPECT_FALSE(file_exists(started_file));
}
