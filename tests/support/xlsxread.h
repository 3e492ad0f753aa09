// Test-only reading of the workbooks the program writes: the parts are taken out of the .xlsx
// with the `unzip` command and their XML read with plain string searches (the layout the
// writer uses is regular). Cells come back with their type, value and number format.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    int rows = 0, cols = 0;                    // one past the last row and column used
    const Cell* at(int r, int c) const {
        auto it = cells.find({r, c});
        return it == cells.end() ? nullptr : &it->second;
    }
};

namespace detail {

inline std::string member(const std::string& file, const std::string& part) {
    const std::string cmd = "unzip -p '" + file + "' '" + part + "' 2>/dev/null";
    std::string out;
    if (std::FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

inline std::string attr(const std::string& tag, const std::string& name) {
    const auto at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return {};
    const auto from = at + name.size() + 3;
    return tag.substr(from, tag.find('"', from) - from);
}

inline std::string unescape(std::string s) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
        for (std::size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += std::string(to).size())
            s.replace(at, std::string(from).size(), to);
    return s;
}

// Every element <tag ...>...</tag> or <tag .../>: its opening tag and its inner text.
inline std::vector<std::pair<std::string, std::string>> elements(const std::string& xml,
                                                                 const std::string& tag) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t at = 0; (at = xml.find("<" + tag, at)) != std::string::npos;) {
        const char next = xml[at + tag.size() + 1];
        if (next != ' ' && next != '>' && next != '/') {
            ++at;
            continue;
        }
        const auto close = xml.find('>', at);
        std::string open = xml.substr(at, close - at + 1);
        std::string inner;
        at = close + 1;
        if (open[open.size() - 2] != '/') {
            const auto end = xml.find("</" + tag + ">", at);
            inner = xml.substr(at, end - at);
            at = end;
        }
        out.emplace_back(std::move(open), std::move(inner));
    }
    return out;
}

inline std::pair<int, int> cellRef(const std::string& ref) {
    int col = 0;
    std::size_t i = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i) col = col * 26 + (ref[i] - 'A' + 1);
    return {std::atoi(ref.c_str() + i) - 1, col - 1};
}

// Number formats by style index (cellXfs order), the built-in ones by their id.
inline std::vector<std::string> styleFormats(const std::string& styles) {
    std::map<int, std::string> codes = {{0, ""},         {1, "0"},  {2, "0.00"},   {3, "#,##0"},
                                        {4, "#,##0.00"}, {9, "0%"}, {10, "0.00%"}, {11, "0.00E+00"}};
    for (const auto& [open, inner] : elements(styles, "numFmt"))
        codes[std::atoi(attr(open, "numFmtId").c_str())] = unescape(attr(open, "formatCode"));
    std::vector<std::string> out;
    const auto xfs = elements(styles, "cellXfs");
    if (!xfs.empty())
        for (const auto& [open, inner] : elements(xfs.front().second, "xf"))
            out.push_back(codes[std::atoi(attr(open, "numFmtId").c_str())]);
    return out;
}

} // namespace detail

// Every sheet of the workbook at `path`, in order; empty when it cannot be read.
inline std::vector<Sheet> readXlsx(const std::string& path) {
    using namespace detail;
    std::vector<std::string> strings;
    for (const auto& [open, inner] : elements(member(path, "xl/sharedStrings.xml"), "si")) {
        const auto t = elements(inner, "t");
        strings.push_back(t.empty() ? std::string() : unescape(t.front().second));
    }
    const auto formats = styleFormats(member(path, "xl/styles.xml"));
    std::vector<Sheet> sheets;
    for (const auto& [open, inner] : elements(member(path, "xl/workbook.xml"), "sheet")) {
        Sheet s;
        s.name = unescape(attr(open, "name"));
        const std::string xml =
            member(path, "xl/worksheets/sheet" + std::to_string(sheets.size() + 1) + ".xml");
        for (const auto& [copen, cinner] : elements(xml, "col")) {
            const int from = std::atoi(attr(copen, "min").c_str()),
                      to = std::atoi(attr(copen, "max").c_str());
            for (int c = from; c <= to; ++c) s.widths[c - 1] = std::atof(attr(copen, "width").c_str());
        }
        for (const auto& [copen, cinner] : elements(xml, "c")) {
            const auto [r, c] = cellRef(attr(copen, "r"));
            const auto v = elements(cinner, "v");
            const std::string value = v.empty() ? std::string() : v.front().second;
            Cell cell;
            if (attr(copen, "t") == "s") {
                cell.type = 's';
                const auto i = static_cast<std::size_t>(std::atoi(value.c_str()));
                cell.text = i < strings.size() ? strings[i] : std::string();
            } else {
                cell.type = 'n';
                cell.number = std::strtod(value.c_str(), nullptr);
                const auto style = static_cast<std::size_t>(std::atoi(attr(copen, "s").c_str()));
                cell.format = style < formats.size() ? formats[style] : std::string();
            }
            s.cells[{r, c}] = cell;
            s.rows = std::max(s.rows, r + 1);
            s.cols = std::max(s.cols, c + 1);
        }
        sheets.push_back(std::move(s));
    }
    return sheets;
}

} // namespace kelva::testxlsx
