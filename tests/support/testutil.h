// Small helpers shared by the tests: fresh states, scratch folders, paths into the source tree.
#pragma once

#include "state/state.h"

#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace kelva::test {

// The state is large (about a megabyte of tables): keep it on the heap.
inline std::unique_ptr<ProgramState> freshState() { return std::make_unique<ProgramState>(); }

inline std::string sourcePath(const std::string& rel) { return std::string(KELVA_SOURCE_DIR) + "/" + rel; }

// A scratch folder removed at the end of the test.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("kelva-test-" + std::to_string(rd()) + std::to_string(rd()));
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
