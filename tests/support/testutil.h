// Small helpers shared by the tests: fresh states, scratch folders, paths into the source tree,
// and plain stream reads and writes (so that a fault of the file routines cannot hide here).
#pragma once

#include "state/state.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

namespace kelva::test {

// The state is large (about a megabyte of tables): keep it on the heap.
inline std::unique_ptr<ProgramState> freshState() {
    return std::make_unique<ProgramState>();
}

inline std::string sourcePath(const std::string& rel) {
    return std::string(KELVA_SOURCE_DIR) + "/" + rel;
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void spit(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// How often `part` occurs in `text`.
inline int countOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// `s` with the first `from` (which must be there) replaced by `to`.
inline std::string replaced(std::string s, const std::string& from, const std::string& to) {
    const auto at = s.find(from);
    if (at == std::string::npos) throw std::runtime_error("no \"" + from + "\" to replace");
    return s.replace(at, from.size(), to);
}

// A scratch folder removed at the end of the test.
class TempDir {
  public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("kelva-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

} // namespace kelva::test
