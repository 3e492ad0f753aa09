#include "files/newfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kelva {

namespace {
constexpr int kMaxNumber = 9999; // "name (9999).ext" is the last name tried
} // namespace

bool writeNewFile(const std::string& dir, const std::string& stem, const std::string& ext,
                  const std::string& content, std::string& path, std::string& err) {
    namespace fs = std::filesystem;
    const fs::path folder = dir.empty() ? fs::path(".") : fs::path(dir);
    for (int n = 1; n <= kMaxNumber; ++n) {
        const std::string name = n == 1 ? stem + ext : stem + " (" + std::to_string(n) + ")" + ext;
        path = (folder / name).string();
        // "x": the file is created only when no file of that name exists.
        std::FILE* f = std::fopen(path.c_str(), "wbx");
        if (!f) {
            if (errno == EEXIST) continue;
            err = "cannot create " + path + ": " + std::strerror(errno);
            return false;
        }
        bool ok = content.empty() || std::fwrite(content.data(), 1, content.size(), f) == content.size();
        ok = std::fflush(f) == 0 && ok;
        const int writeErrno = errno;
        ok = std::fclose(f) == 0 && ok;
        if (ok) {
            err.clear();
            return true;
        }
        err = "cannot write " + path + ": " + std::strerror(writeErrno != 0 ? writeErrno : errno);
        std::error_code ignored;
        fs::remove(path, ignored);
        return false;
    }
    err = "cannot find a free name for " + stem + ext + " in " + folder.string();
    return false;
}

} // namespace kelva
