// The layers of the code: which folder may include which, no files that
// include each other in a circle, and one header for every source file; and
// the scripts' one rule: a function more than one script needs is defined
// once, in the file they all source.  ARCHITECTURE.md explains the rules
// kept here.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What each folder may include, besides the system's and the libraries' headers.
const std::map<std::string, std::set<std::string>> MAY_INCLUDE = {
    {"app/core", {"app/core"}},
    {"sound", {"app/core", "sound"}},
    {"display", {"app/core", "display"}},
    {"controls", {"app/core", "controls", "sound"}},
    {"app", {"app/core", "sound", "display", "controls", "app"}},
    {"main", {"app"}},  // src/main.cpp
    {"tools", {"app/core", "sound", "display", "tools"}},
    {"web", {"app/core", "sound", "display", "tools"}},  // the page's calls into the tools
};

struct SourceFile {
    std::string folder;                 // a key of MAY_INCLUDE
    std::string name;                   // as shown in a failure
    std::vector<std::string> includes;  // the quoted includes, resolved to folders
};

// The folder of a header named in #include "...": the tools' own headers are
// named from their folder (by the tools and the page), everything else from src/.
std::string folder_of_include(const std::string& included, const std::string& includer_folder)
{
    bool tools_side = includer_folder == "tools" || includer_folder == "web";
    if (tools_side && included.find('/') == std::string::npos) return "tools";
    size_t slash = included.rfind('/');
    return slash == std::string::npos ? "?" : included.substr(0, slash);
}

std::vector<std::string> quoted_includes(const fs::path& file)
{
    std::vector<std::string> names;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("#include \"", 0) != 0) continue;
        size_t end = line.find('"', 10);
        if (end != std::string::npos) names.push_back(line.substr(10, end - 10));
    }
    return names;
}

bool is_source(const fs::path& path)
{
    return path.extension() == ".cpp" || path.extension() == ".h";
}

std::vector<SourceFile> project_sources()
{
    std::vector<SourceFile> files;
    fs::path src = fs::path(PLIM_SOURCE_DIR) / "src";
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file() || !is_source(entry.path())) continue;
        std::string folder = entry.path().parent_path().lexically_relative(src).string();
        if (folder == ".") folder = "main";
        SourceFile file{folder, entry.path().lexically_relative(src).string(), {}};
        for (const std::string& name : quoted_includes(entry.path()))
            file.includes.push_back(folder_of_include(name, folder) + " (" + name + ")");
        files.push_back(file);
    }
    for (std::string folder : {"tools", "web"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(PLIM_SOURCE_DIR) / folder)) {
            if (!entry.is_regular_file() || !is_source(entry.path())) continue;
            SourceFile file{folder, folder + "/" + entry.path().filename().string(), {}};
            for (const std::string& name : quoted_includes(entry.path()))
                file.includes.push_back(folder_of_include(name, folder) + " (" + name + ")");
            files.push_back(file);
        }
    }
    return files;
}

// Every include that breaks the rules, one line each.
std::vector<std::string> broken_rules(const std::vector<SourceFile>& files)
{
    std::vector<std::string> broken;
    for (const SourceFile& file : files) {
        auto rule = MAY_INCLUDE.find(file.folder);
        if (rule == MAY_INCLUDE.end()) {
            broken.push_back(file.name + ": the folder " + file.folder + " has no rule");
            continue;
        }
        for (const std::string& include : file.includes) {
            std::string folder = include.substr(0, include.find(' '));
            if (rule->second.count(folder) == 0)
                broken.push_back(file.name + " includes " + include);
        }
    }
    return broken;
}

// A unit is a header and its source file, named by their path without the
// extension ("controls/input", "tools/song_export", "main").
std::string unit_of_file(const std::string& name) { return name.substr(0, name.rfind('.')); }

// The unit of an include as SourceFile keeps it: "sound (sound/audio.h)" is
// sound/audio, "tools (song_export.h)" is tools/song_export.
std::string unit_of_include(const std::string& include)
{
    std::string folder = include.substr(0, include.find(' '));
    size_t name_start = include.find('(') + 1;
    std::string name = include.substr(name_start, include.size() - 1 - name_start);
    size_t slash = name.rfind('/');
    std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    return folder + "/" + unit_of_file(file);
}

// Units that include each other, directly or through others: one line per
// circle, naming its units.  A unit's own header is no circle.
std::vector<std::string> include_cycles(const std::vector<SourceFile>& files)
{
    std::map<std::string, std::set<std::string>> uses;  // unit -> the units it includes
    for (const SourceFile& file : files) {
        std::string unit = unit_of_file(file.name);
        std::set<std::string>& used = uses[unit];
        for (const std::string& include : file.includes) {
            std::string other = unit_of_include(include);
            if (other != unit) used.insert(other);
        }
    }
    // Every unit each unit reaches, following the includes.
    std::map<std::string, std::set<std::string>> reaches;
    for (const auto& [unit, used] : uses) {
        std::set<std::string>& reached = reaches[unit];
        std::vector<std::string> next(used.begin(), used.end());
        while (!next.empty()) {
            std::string other = next.back();
            next.pop_back();
            if (!reached.insert(other).second) continue;
            auto further = uses.find(other);
            if (further != uses.end())
                next.insert(next.end(), further->second.begin(), further->second.end());
        }
    }
    std::vector<std::string> cycles;
    std::set<std::string> said;
    for (const auto& [unit, reached] : reaches) {
        if (said.count(unit) || !reached.count(unit)) continue;
        std::string circle = unit;
        for (const std::string& other : reached) {
            if (other == unit || !reaches[other].count(unit)) continue;
            circle += " <-> " + other;
            said.insert(other);
        }
        cycles.push_back(circle + " include each other");
    }
    return cycles;
}

std::string file_text(const fs::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The name of the shell function the line defines ("name() {"), or "".
std::string function_defined(const std::string& line)
{
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || !(std::islower(line[start]) || line[start] == '_')) return "";
    size_t end = line.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_", start);
    if (end == std::string::npos || line.compare(end, 2, "()") != 0) return "";
    size_t brace = line.find_first_not_of(" \t", end + 2);
    return brace != std::string::npos && line[brace] == '{' ? line.substr(start, end - start) : "";
}

// "NAME: FILE FILE..." for each shell function defined in more than one of
// the scripts (name, text); usage() is each script's own.
std::vector<std::string> functions_defined_twice(
    const std::vector<std::pair<std::string, std::string>>& scripts)
{
    std::map<std::string, std::vector<std::string>> defined_in;
    for (const auto& [name, text] : scripts) {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            std::string function = function_defined(line);
            if (!function.empty() && function != "usage") defined_in[function].push_back(name);
        }
    }
    std::vector<std::string> twice;
    for (const auto& [function, files] : defined_in) {
        if (files.size() < 2) continue;
        std::string entry = function + ":";
        for (const std::string& file : files) entry += " " + file;
        twice.push_back(entry);
    }
    return twice;
}

std::string lines(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items) text += item + "\n";
    return text;
}

}  // namespace

TEST(Layers, EveryIncludeKeepsToTheLayers)
{
    std::vector<SourceFile> files = project_sources();
    ASSERT_GT(files.size(), 40u);
    EXPECT_EQ(lines(broken_rules(files)), "");
}

TEST(Layers, TheCheckCatchesAnIncludeAcrossOrUpTheLayers)
{
    std::vector<SourceFile> files = {
        {"display", "display/grid_screen.cpp", {"sound (sound/audio.h)"}},
        {"app/core", "app/core/state_file.cpp", {"controls (controls/actions.h)"}},
        {"tools", "tools/plim-shot.cpp", {"app (app/app.h)"}},
        {"effects", "effects/new.cpp", {}},
    };
    EXPECT_EQ(broken_rules(files).size(), 4u) << lines(broken_rules(files));

    // input and actions through a header each way, and three units in a
    // circle through a source file; messages is reached but reaches nothing
    // back, and a unit's source file including its own header is no circle.
    std::vector<SourceFile> circles = {
        {"controls",
         "controls/input.cpp",
         {"controls (controls/input.h)", "controls (controls/actions.h)"}},
        {"controls", "controls/actions.h", {"controls (controls/input.h)"}},
        {"sound", "sound/voices.cpp", {"sound (sound/effects.h)"}},
        {"sound", "sound/effects.cpp", {"sound (sound/audio.h)", "controls (controls/messages.h)"}},
        {"sound", "sound/audio.h", {"sound (sound/voices.h)"}},
        {"controls", "controls/messages.cpp", {"controls (controls/messages.h)"}},
    };
    EXPECT_EQ(lines(include_cycles(circles)),
              "controls/actions <-> controls/input include each other\n"
              "sound/audio <-> sound/effects <-> sound/voices include each other\n");
}

TEST(Layers, NoFilesIncludeEachOtherInACircle)
{
    EXPECT_EQ(lines(include_cycles(project_sources())), "");
}

// Each source file of the program has a header of its own, included first.
TEST(Layers, EverySourceFileHasItsOwnHeader)
{
    fs::path src = fs::path(PLIM_SOURCE_DIR) / "src";
    std::vector<std::string> missing;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const fs::path& path = entry.path();
        if (path.extension() != ".cpp" || path.filename() == "main.cpp") continue;
        fs::path header = fs::path(path).replace_extension(".h");
        std::string own = header.lexically_relative(src).string();
        std::vector<std::string> includes = quoted_includes(path);
        if (!fs::exists(header) || includes.empty() || includes.front() != own)
            missing.push_back(path.lexically_relative(src).string());
    }
    EXPECT_EQ(lines(missing), "");
}

// scripts/ holds the shell scripts, each named where it is called, and
// tools/ the programs and their code alone.
TEST(Layers, ScriptsAreWhereNamedDefineEachFunctionOnceAndToolsHoldsNone)
{
    std::vector<std::pair<std::string, std::string>> scripts;
    for (const auto& entry : fs::directory_iterator(fs::path(PLIM_SOURCE_DIR) / "scripts")) {
        if (entry.path().extension() == ".sh")
            scripts.emplace_back(entry.path().filename().string(), file_text(entry.path()));
    }
    ASSERT_GT(scripts.size(), 15u);
    EXPECT_EQ(lines(functions_defined_twice(scripts)), "");
    EXPECT_EQ(lines(functions_defined_twice({{"a.sh", "usage() {\nwants() { [[ $1 ]]; }\n"},
                                             {"b.sh", "usage() { exit 2; }\n    wants() {\n"},
                                             {"c.sh", "# wants() {\nmore() {\n"}})),
              "wants: a.sh b.sh\n");

    // Every script the commands, the scripts and the documents name is there
    // (a script moved or removed breaks the commands that call it, which the
    // suite itself does not run).
    std::vector<std::pair<std::string, std::string>> callers = scripts;
    for (std::string name : {"Makefile", ".ci/run", "README.md", "ARCHITECTURE.md"})
        callers.emplace_back(name, file_text(fs::path(PLIM_SOURCE_DIR) / name));
    std::vector<std::string> missing;
    for (const auto& [name, text] : callers) {
        for (std::string folder : {"scripts/", "tools/"}) {
            for (size_t at = text.find(folder); at != std::string::npos;
                 at = text.find(folder, at + 1)) {
                if (at > 0 && (std::isalnum(text[at - 1]) || text[at - 1] == '/')) continue;
                size_t end = text.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_-",
                                                    at + folder.size());
                std::string named = text.substr(at, end - at);
                if (end != std::string::npos && text.compare(end, 3, ".sh") == 0 &&
                    !fs::exists(fs::path(PLIM_SOURCE_DIR) / (named + ".sh")))
                    missing.push_back(name + " names " + named + ".sh");
            }
        }
    }
    EXPECT_EQ(lines(missing), "");

    std::vector<std::string> not_code;
    for (const auto& entry : fs::directory_iterator(fs::path(PLIM_SOURCE_DIR) / "tools"))
        if (!is_source(entry.path()) && entry.path().filename() != "CMakeLists.txt")
            not_code.push_back(entry.path().filename().string());
    EXPECT_EQ(lines(not_code), "");
}
