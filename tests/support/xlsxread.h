// Test-only reading of the workbooks the program writes, by a spreadsheet library (openpyxl, run
// by xlsxdump.py beside this file), so that the files are read as a spreadsheet program reads
// them and not by the program's own logic. Cells come back with their type, value and format.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kelva::testxlsx {

struct Cell {
    char type = 0;      // 's' text, 'n' number
    std::string text;   // text cells
    double number = 0;  // number cells
    std::string format; // number format code; empty: general
};

struct Sheet {
    std::string name;
    std::map<std::pair<int, int>, Cell> cells; // (row, col), both 0-based
    std::map<int, double> widths;              // column (0-based) -> width in characters
    int rows = 0;                              // one past the last row used
    const Cell* at(int r, int c) const {
        auto it = cells.find({r, c});
        return it == cells.end() ? nullptr : &it->second;
    }
};

// Every sheet of the workbook at `path`, in order; empty when it cannot be read (the reader says
// why on standard error, e.g. a missing spreadsheet library).
inline std::vector<Sheet> readXlsx(const std::string& path) {
    std::string out;
    const std::string dump = std::string(KELVA_SOURCE_DIR) + "/tests/support/xlsxdump.py";
    if (std::FILE* p = popen(("/usr/bin/python3 '" + dump + "' '" + path + "'").c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        pclose(p);
    }
    std::vector<Sheet> sheets;
    const auto all = nlohmann::json::parse(out, nullptr, false);
    if (!all.is_array()) return sheets;
    for (const auto& js : all) {
        Sheet& s = sheets.emplace_back(Sheet{js["name"], {}, {}, js["rows"]});
        for (const auto& [col, width] : js["widths"].items()) s.widths[std::stoi(col)] = width;
        for (const auto& c : js["cells"]) {
            s.cells[{c[0], c[1]}] = c[2] == "s" ? Cell{'s', c[3], 0, ""} : Cell{'n', "", c[3], c[4]};
        }
    }
    return sheets;
}

} // namespace kelva::testxlsx
