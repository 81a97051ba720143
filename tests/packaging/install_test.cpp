// Installing into a prefix, the manual page, the desktop entry and the
// handheld launcher.
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

TEST(Install, TheHandheldLauncherPassesThePortsConfigFolderAndItsPadMapping)
{
    // A stand-in program that records how the launcher started it.
    TempDir port;
    ASSERT_EQ(mkdir(port.file("plim").c_str(), 0755), 0);
    write_file(port.file("plim/gamecontrollerdb.txt"), {});
    std::string stand_in = "#!/bin/sh\n"
                           "{ echo \"args=$*\"; echo \"pwd=$(pwd)\";"
                           " echo \"map=$SDL_GAMECONTROLLERCONFIG_FILE\";"
                           " echo \"libs=$LD_LIBRARY_PATH\"; } > \"$1/started\"\n";
    write_file(port.file("plim/plim"), std::vector<uint8_t>(stand_in.begin(), stand_in.end()));
    ASSERT_EQ(chmod(port.file("plim/plim").c_str(), 0755), 0);
    Output copy = shell("cp '" PLIM_SOURCE_DIR "/packaging/handheld/plim.sh' '" + port.path + "/'");
    ASSERT_EQ(copy.status, 0) << copy.text;

    Output run = shell("env -u SDL_GAMECONTROLLERCONFIG -u SDL_GAMECONTROLLERCONFIG_FILE"
                       " LD_LIBRARY_PATH=/opt/x sh '" + port.path + "/plim.sh'");
    ASSERT_EQ(run.status, 0) << run.text;
    std::vector<uint8_t> bytes = read_file(port.file("plim/conf/started"));
    std::string started(bytes.begin(), bytes.end());
    EXPECT_NE(started.find("args=" + port.path + "/plim/conf\n"), std::string::npos) << started;
    EXPECT_NE(started.find("pwd=" + port.path + "/plim\n"), std::string::npos) << started;
    EXPECT_NE(started.find("map=" + port.path + "/plim/gamecontrollerdb.txt\n"), std::string::npos)
        << started;
    EXPECT_NE(started.find("libs=" + port.path + "/plim/lib:/opt/x\n"), std::string::npos) << started;

    // A mapping the firmware already exports is left alone.
    Output keep = shell("SDL_GAMECONTROLLERCONFIG='x,y' sh '" + port.path + "/plim.sh'");
    ASSERT_EQ(keep.status, 0) << keep.text;
    bytes = read_file(port.file("plim/conf/started"));
    started.assign(bytes.begin(), bytes.end());
    EXPECT_NE(started.find("map=\n"), std::string::npos) << started;
}
