// What the benchmarks share: the source tree's data, a state with the bundled database, and a
// folder for the files they write.
#pragma once

#include "files/database.h"
#include "state/state.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace kelva::benchdata {

inline const std::string kSource = KELVA_SOURCE_DIR;
inline const std::string kDefaultDatabase = kSource + "/data/default.DBS";

// A fresh state with the bundled database loaded; a benchmark cannot run without it.
inline std::unique_ptr<ProgramState> withDefaultDatabase() {
    auto st = std::make_unique<ProgramState>();
    st->Dbfile = kDefaultDatabase;
    if (!readdb(*st).ok) {
        std::fprintf(stderr, "cannot load %s\n", st->Dbfile.c_str());
        std::exit(1);
    }
    return st;
}

// The folder `name` under the system's temporary folder, made on first use.
inline std::filesystem::path scratch(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace kelva::benchdata
