// Installing into a prefix and uninstalling, the icons, the manual pages, the
// desktop entry, the AppStream file and the handheld port's launcher.
#include "display/picker_screen.h"
#include "support/files.h"
#include "support/png.h"
#include "support/programs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
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

Output install_into(const TempDir& prefix)
{
    return shell("cmake --install '" PLIM_BIN_DIR "' --prefix '" + prefix.path + "'");
}

// Every file, link and folder under dir, one path a line, sorted.
std::string paths_under(const std::string& dir)
{
    return shell("cd '" + dir + "' && find . | sort").text;
}

// The application id the install names its files after: the one AppStream
// file's name, NAME.metainfo.xml.
std::string installed_app_id(const TempDir& prefix)
{
    Output names = shell("ls '" + prefix.file("share/metainfo") + "'");
    const std::string suffix = ".metainfo.xml\n";
    if (names.status != 0 || names.text.size() <= suffix.size() ||
        names.text.compare(names.text.size() - suffix.size(), suffix.size(), suffix) != 0 ||
        names.text.find('\n') != names.text.size() - 1)
        return "";
    return names.text.substr(0, names.text.size() - suffix.size());
}

// The arguments of a desktop entry's Exec= value as a desktop takes them:
// the value's own escapes first (a doubled backslash is one, \s a space),
// then the arguments, split at spaces outside double quotes; inside them a
// backslash before ", `, $ or a backslash stands for that character.
std::vector<std::string> exec_arguments(const std::string& value)
{
    std::string text;
    for (size_t i = 0; i < value.size(); i++) {
        if (value[i] == '\\' && i + 1 < value.size() &&
            (value[i + 1] == '\\' || value[i + 1] == 's'))
            text += value[++i] == 's' ? ' ' : '\\';
        else
            text += value[i];
    }
    std::vector<std::string> arguments;
    std::string argument;
    bool started = false, quoted = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size() && std::strchr("\"`$\\", text[i + 1])) {
            argument += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if (c == ' ' && !quoted) {
            if (started) arguments.push_back(argument);
            argument.clear();
            started = false;
        } else {
            argument += c;
            started = true;
        }
    }
    if (started) arguments.push_back(argument);
    return arguments;
}

// The value of KEY= in a desktop entry's text ("" when missing).
std::string entry_value(const std::string& entry, const std::string& key)
{
    size_t at = entry.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    at += key.size() + 2;
    return entry.substr(at, entry.find('\n', at) - at);
}

// A word for the shell: in single quotes, each single quote spelt '\''.
std::string shell_word(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool is_white(const uint8_t* pixel)
{
    return pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255 && pixel[3] == 255;
}

// The icon is size x size, transparent in its corners, and its white pixels
// are exactly the logo's dots, square and centred.  "" when it is.
std::string icon_fault(const PngPixels& icon, int size)
{
    if (icon.width != size || icon.height != size) return "not " + std::to_string(size) + " px";
    if (icon.at(0, 0)[3] != 0 || icon.at(size - 1, size - 1)[3] != 0) return "corners not clear";
    int left = size, top = size, right = -1, bottom = -1;
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            if (!is_white(icon.at(x, y))) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    int width = right - left + 1;
    int dot = width / LOGO_WIDTH_DOTS;
    if (dot < 1 || width != dot * LOGO_WIDTH_DOTS || bottom - top + 1 != dot * LOGO_HEIGHT_DOTS)
        return "no logo of whole dots";
    if (std::abs(left - (size - 1 - right)) > 1 || std::abs(top - (size - 1 - bottom)) > 1)
        return "logo not centred";
    for (int y = top; y <= bottom; y++) {
        for (int x = left; x <= right; x++) {
            int letter = (x - left) / dot / GLYPH_ADVANCE;
            int column = (x - left) / dot % GLYPH_ADVANCE;
            int row = (y - top) / dot;
            bool lit = column < GLYPH_COLUMNS && (logo_glyph(letter)[row] & (0x10 >> column));
            if (is_white(icon.at(x, y)) != lit)
                return "pixel " + std::to_string(x) + "," + std::to_string(y) + " off the logo";
        }
    }
    return "";
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

TEST(Install, PutsStrippedProgramsIconsDesktopEntryAndManualPagesUnderThePrefix)
{
    TempDir prefix;
    Output install = install_into(prefix);
    ASSERT_EQ(install.status, 0) << install.text;

    for (const char* program : {"plim", "plim-render", "plim-shot"}) {
        std::string path = prefix.file("bin/") + program;
        ASSERT_TRUE(is_executable(path)) << program;
        Output sections = shell("readelf -S -W '" + path + "'");
        ASSERT_EQ(sections.status, 0) << sections.text;
        EXPECT_EQ(sections.text.find(".symtab"), std::string::npos) << program << " not stripped";
        EXPECT_EQ(sections.text.find(".debug_"), std::string::npos) << program << " not stripped";
    }
    EXPECT_TRUE(file_exists(prefix.file("share/man/man6/plim.6")));
    EXPECT_TRUE(file_exists(prefix.file("share/man/man1/plim-render.1")));
    EXPECT_TRUE(file_exists(prefix.file("share/man/man1/plim-shot.1")));

    // One reverse-DNS id names the AppStream file, the desktop entry and the
    // icons, and the AppStream file lists this version among its releases.
    std::string id = installed_app_id(prefix);
    ASSERT_EQ(std::count(id.begin(), id.end(), '.'), 2) << "not a reverse-DNS id: " << id;
    std::string metainfo = text_of(prefix.file("share/metainfo/" + id + ".metainfo.xml"));
    EXPECT_NE(metainfo.find("<id>" + id + "</id>"), std::string::npos);
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">" + id + ".desktop</launchable>"),
              std::string::npos);
    EXPECT_NE(metainfo.find("<release version=\"" PLIM_VERSION "\" date=\""), std::string::npos);
    EXPECT_EQ(metainfo.find("project_license"), std::string::npos);
    std::string entry = text_of(prefix.file("share/applications/" + id + ".desktop"));
    EXPECT_EQ(entry_value(entry, "Icon"), id);
    for (int size : {48, 128, 256}) {
        std::string side = std::to_string(size);
        std::string path =
            prefix.file("share/icons/hicolor/" + side + "x" + side + "/apps/" + id + ".png");
        EXPECT_EQ(icon_fault(read_png(path, PNG_FORMAT_RGBA), size), "") << path;
    }
}

// `make install` and `make uninstall`: the folders the install made go with
// the files; a folder that was there before stays, empty or not.
TEST(Install, UninstallRemovesWhatInstallPutAndTheFoldersItMadeAndNothingElse)
{
    TempDir prefix;
    ASSERT_EQ(mkdir(prefix.file("bin").c_str(), 0755), 0);
    write_file(prefix.file("bin/other-program"), {1, 2, 3});
    ASSERT_EQ(mkdir(prefix.file("share").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(prefix.file("share/man").c_str(), 0755), 0);
    std::string before = paths_under(prefix.path);
    const std::string script = "'" PLIM_SOURCE_DIR "/scripts/install.sh' ";
    Output install = shell(script + "install '" PLIM_BIN_DIR "' '" + prefix.path + "'");
    ASSERT_EQ(install.status, 0) << install.text;
    ASSERT_TRUE(file_exists(prefix.file("share/man/man6/plim.6")));

    Output uninstall = shell(script + "uninstall '" PLIM_BIN_DIR "' '" + prefix.path + "'");
    ASSERT_EQ(uninstall.status, 0) << uninstall.text;
    EXPECT_EQ(paths_under(prefix.path), before) << uninstall.text;
    EXPECT_EQ(read_file(prefix.file("bin/other-program")), std::vector<uint8_t>({1, 2, 3}));
}

// The three manual pages, made by the build, carry the build's version and
// render without a warning.
TEST(Install, TheManualPagesRenderCleanlyWithEverySection)
{
    const std::vector<std::pair<const char*, std::vector<const char*>>> pages = {
        {"plim.6",
         {"PLIM(6)", "OPTIONS", "--help", "--version", "CONTROLS", "SELECT + START", "FILES",
          "plim.state", "EXIT STATUS", "ENVIRONMENT", "SDL_GAMECONTROLLERCONFIG_FILE"}},
        {"plim-render.1",
         {"PLIM-RENDER(1)", "SYNOPSIS", "loops", "OUTPUT", "standard output", "symbolic link",
          "pipe", "--help", "--version", "EXIT STATUS", "152"}},
        {"plim-shot.1",
         {"PLIM-SHOT(1)", "SYNOPSIS", "outdir", "picker.png", "grid.png", "152", "parents",
          "--help", "--version", "EXIT STATUS"}},
    };
    for (const auto& [name, parts] : pages) {
        Output page = shell(std::string("LC_ALL=C MANWIDTH=80 man --warnings -l -P cat '") +
                            PLIM_BIN_DIR "/man/" + name + "'");
        ASSERT_EQ(page.status, 0) << name << page.text;
        EXPECT_EQ(page.text.find("warning"), std::string::npos) << name << page.text;
        EXPECT_NE(page.text.find("PLIM " PLIM_VERSION), std::string::npos) << name;
        for (const char* part : parts)
            EXPECT_NE(page.text.find(part), std::string::npos) << name << ": " << part;
    }
}

// The installed desktop entry starts the installed program with the song in
// the user's data folder, whatever the desktop's PATH: by its absolute path
// from a prefix of its own, by name from /usr, whose bin is on every PATH.
TEST(Install, TheDesktopEntryStartsTheInstalledProgramWithTheSongInTheUsersDataFolder)
{
    TempDir prefix, home, staged;
    Output install = install_into(prefix);
    ASSERT_EQ(install.status, 0) << install.text;
    std::string id = installed_app_id(prefix);
    std::string path = prefix.file("share/applications/" + id + ".desktop");
    Output check = shell("desktop-file-validate '" + path + "'");
    EXPECT_EQ(check.status, 0) << check.text;
    EXPECT_EQ(check.text, "");
    std::string entry = text_of(path);
    EXPECT_EQ(entry_value(entry, "Categories"), "Game;");
    std::vector<std::string> command = exec_arguments(entry_value(entry, "Exec"));
    ASSERT_EQ(command.size(), 3u) << entry;
    EXPECT_EQ(command[2], "exec '" + prefix.path + "/bin/plim' \"$HOME/.local/share/plim\"");

    // Started as a desktop would, with a PATH that lacks the prefix's bin,
    // a stand-in for plim says how it was started.
    write_script(prefix.file("bin/plim"), "#!/bin/sh\necho \"$0 $*\" >\"$HOME/started\"\n");
    std::string line = "env -i PATH=/usr/bin:/bin HOME=" + shell_word(home.path);
    for (const std::string& argument : command) line += " " + shell_word(argument);
    Output run = shell(line);
    ASSERT_EQ(run.status, 0) << line << "\n" << run.text;
    EXPECT_EQ(text_of(home.file("started")),
              prefix.path + "/bin/plim " + home.path + "/.local/share/plim\n");

    Output usr =
        shell("DESTDIR='" + staged.path + "' cmake --install '" PLIM_BIN_DIR "' --prefix /usr");
    ASSERT_EQ(usr.status, 0) << usr.text;
    entry = text_of(staged.file("usr/share/applications/" + id + ".desktop"));
    command = exec_arguments(entry_value(entry, "Exec"));
    ASSERT_EQ(command.size(), 3u) << entry;
    EXPECT_EQ(command[2], "exec plim \"$HOME/.local/share/plim\"");
}

TEST(Install, TheHandheldLauncherStartsTheProcessorsProgramWithThePortsFolderAndPadMapping)
{
    // The port as unpacked from the archive, with stand-in programs that
    // record how the launcher started them, print a line and exit with
    // $STATUS, and a `uname` that names the processor the test asks for.
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
                     " echo \"libs=$LD_LIBRARY_PATH\"; } > \"$1/started\"\n"
                     "echo \"playing on $(basename \"$0\")\"; echo oops >&2; exit ${STATUS:-0}\n");
    write_script(port.file("bin/uname"), "#!/bin/sh\necho \"$MACHINE\"\n");
    Output copy = shell("cp '" PLIM_SOURCE_DIR "/packaging/handheld/PLIM.sh' '" + port.path + "/'");
    ASSERT_EQ(copy.status, 0) << copy.text;
    std::string started_file = port.file("plim/conf/started");
    auto launch = [&](const std::string& machine, const std::string& environment) {
        remove(started_file.c_str());
        return shell(
            "env -u SDL_GAMECONTROLLERCONFIG -u SDL_GAMECONTROLLERCONFIG_FILE"
            " PATH='" +
            port.path + "/bin':\"$PATH\" XDG_DATA_HOME='" + port.path + "/data' MACHINE=" +
            machine + " LD_LIBRARY_PATH=/opt/x " + environment + " '" + port.path + "/PLIM.sh'");
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
    // The program's output and exit status are kept in the port's log.
    std::string log = text_of(port.file("plim/log.txt"));
    EXPECT_NE(log.find("playing on plim.aarch64\noops\n"), std::string::npos) << log;
    EXPECT_NE(log.find("exited with status 0\n"), std::string::npos) << log;

    // A program that fails: its status is passed on and logged.
    run = launch("aarch64", "STATUS=5");
    EXPECT_EQ(run.status, 5) << run.text;
    log = text_of(port.file("plim/log.txt"));
    EXPECT_NE(log.find("exited with status 5\n"), std::string::npos) << log;

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
    EXPECT_NE(run.text.find("no program for this processor (x86_64)"), std::string::npos)
        << run.text;
    EXPECT_NE(text_of(port.file("plim/log.txt")).find("no program for this processor (x86_64)"),
              std::string::npos);
    EXPECT_FALSE(file_exists(started_file));
}
