// New files that never replace one the user has: a free name is found by adding a number.
#pragma once

#include <string>

namespace kelva {

// Creates a new file in `dir` named `stem` + `ext`, or `stem` (2) `ext`, `stem` (3) `ext`, ...
// for the first name not yet taken (the creation itself is exclusive, so a file that appears
// meanwhile is not replaced either), and writes `content` into it. The path goes to `path`.
// False with the reason in words in `err` (a folder that does not exist or cannot be
// written, a full disk); nothing is left behind then.
bool writeNewFile(const std::string& dir, const std::string& stem, const std::string& ext,
                  const std::string& content, std::string& path, std::string& err);

} // namespace kelva
