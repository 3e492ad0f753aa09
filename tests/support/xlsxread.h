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
    int rows = 0;                              // one past the last row used
    const Cell* at(int r, int c) const {
        auto it = cells.find({r, c});
        return it == cells.end() ? nullptr : &it->second;
    }
};

namespace detail {

inline std::string member(const std::string& file, const std::string& part) {
    std::string out;
    if (std::FILE* p = popen(("unzip -p '" + file + "' '" + part + "' 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
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
inline int intAttr(const std::string& tag, const std::string& name) {
    return std::atoi(attr(tag, name).c_str());
}

inline std::string unescape(std::string s) {
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"&lt;", "<"},
                                   {"&gt;", ">"},
                                   {"&quot;", "\""},
                                   {"&apos;", "'"},
                                   {"&amp;", "&"}})
        for (std::size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
            s.replace(at, from.size(), to);
    return s;
}

// Every element <tag ...>...</tag> or <tag .../>: its opening tag and its inner text. (No element
// the writer uses holds one of its own kind.)
inline std::vector<std::pair<std::string, std::string>> elements(const std::string& xml,
                                                                 const std::string& tag) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t at = 0; (at = xml.find("<" + tag, at)) != std::string::npos; ++at) {
        const char next = xml[at + tag.size() + 1];
        if (next != ' ' && next != '>' && next != '/') continue; // a longer name
        const auto close = xml.find('>', at);
        std::string open = xml.substr(at, close - at + 1), inner;
        if (open[open.size() - 2] != '/')
            inner = xml.substr(close + 1, xml.find("</" + tag + ">", close) - close - 1);
        out.emplace_back(std::move(open), std::move(inner));
    }
    return out;
}

inline std::string firstText(const std::string& xml, const std::string& tag) {
    const auto e = elements(xml, tag);
    return e.empty() ? std::string() : e.front().second;
}

} // namespace detail

// Every sheet of the workbook at `path`, in order; empty when it cannot be read.
inline std::vector<Sheet> readXlsx(const std::string& path) {
    using namespace detail;
    std::vector<std::string> strings, formats; // shared strings; number format by style index
    for (const auto& [open, inner] : elements(member(path, "xl/sharedStrings.xml"), "si"))
        strings.push_back(unescape(firstText(inner, "t")));
    const std::string styles = member(path, "xl/styles.xml");
    std::map<int, std::string> codes = {{0, ""},         {1, "0"},  {2, "0.00"},   {3, "#,##0"},
                                        {4, "#,##0.00"}, {9, "0%"}, {10, "0.00%"}, {11, "0.00E+00"}};
    for (const auto& [open, inner] : elements(styles, "numFmt"))
        codes[intAttr(open, "numFmtId")] = unescape(attr(open, "formatCode"));
    for (const auto& [open, inner] : elements(firstText(styles, "cellXfs"), "xf"))
        formats.push_back(codes[intAttr(open, "numFmtId")]);
    std::vector<Sheet> sheets;
    for (const auto& [open, inner] : elements(member(path, "xl/workbook.xml"), "sheet")) {
        Sheet s;
        s.name = unescape(attr(open, "name"));
        const std::string xml =
            member(path, "xl/worksheets/sheet" + std::to_string(sheets.size() + 1) + ".xml");
        for (const auto& [col, unused] : elements(xml, "col"))
            for (int c = intAttr(col, "min"); c <= intAttr(col, "max"); ++c)
                s.widths[c - 1] = std::atof(attr(col, "width").c_str());
        for (const auto& [copen, cinner] : elements(xml, "c")) {
            const std::string ref = attr(copen, "r"), value = firstText(cinner, "v");
            int col = 0;
            std::size_t i = 0;
            for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i) col = col * 26 + (ref[i] - 'A' + 1);
            const int r = std::atoi(ref.c_str() + i) - 1, c = col - 1;
            Cell& cell = s.cells[{r, c}];
            const auto index = static_cast<std::size_t>(std::atoi(value.c_str()));
            const auto style = static_cast<std::size_t>(intAttr(copen, "s"));
            if (attr(copen, "t") == "s") {
                cell.type = 's';
                cell.text = index < strings.size() ? strings[index] : std::string();
            } else {
                cell.type = 'n';
                cell.number = std::strtod(value.c_str(), nullptr);
                cell.format = style < formats.size() ? formats[style] : std::string();
            }
            s.rows = std::max(s.rows, r + 1);
        }
        sheets.push_back(std::move(s));
    }
    return sheets;
}

} // namespace kelva::testxlsx
