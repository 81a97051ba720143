// Making a directory with its parents.
#pragma once

// Makes the directory path and any missing parents, like mkdir -p; what
// already exists is left as it is (a file standing in the way too).  True
// when path ends up a directory; false, with errno set (ENOTDIR when
// something else stands in the way), otherwise.
bool make_directories(const char* path);
