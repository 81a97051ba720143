// Temporary directories and whole-file reads and writes for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh directory under $TMPDIR (or /tmp), removed with its contents when
// the value goes out of scope.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return path + "/" + name; }
};

bool file_exists(const std::string& path);
std::vector<uint8_t> read_file(const std::string& path);  // empty if unreadable
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);
void remove_tree(const std::string& path);
