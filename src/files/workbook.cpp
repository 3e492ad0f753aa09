#include "files/workbook.h"

#include "files/fields.h"
#include "files/newfile.h"
#include "files/numtext.h"

#include <xlsxwriter.h>

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <random>

namespace kelva {

namespace {

namespace fs = std::filesystem;

constexpr double kMinWidth = 8;  // characters
constexpr double kMaxWidth = 60; // a long caption does not make its column a screen wide
constexpr std::size_t kWidthPadding = 2;

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::size_t countDigits(std::string_view s, std::size_t& i) {
    const std::size_t from = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    return i - from;
}

// Valid UTF-8 stays as it is; any other text (an older file's Latin-1 names) is taken as
// Latin-1, so that the workbook always holds well-formed text.
std::string asUtf8(const std::string& s) {
    auto valid = [&s] {
        for (std::size_t i = 0; i < s.size();) {
            const auto c = static_cast<unsigned char>(s[i]);
            const std::size_t len = c < 0x80           ? 1
                                    : (c >> 5) == 0x6  ? 2
                                    : (c >> 4) == 0xE  ? 3
                                    : (c >> 3) == 0x1E ? 4
                                                       : 0;
            if (len == 0 || i + len > s.size()) return false;
            for (std::size_t k = 1; k < len; ++k)
                if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return false;
            i += len;
        }
        return true;
    };
    if (valid()) return s;
    std::string out;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Characters a reader needs for the widest cell of each column.
std::vector<double> columnWidths(const Sheet& sheet) {
    std::vector<double> widths;
    for (const auto& row : sheet.rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), kMinWidth);
        for (std::size_t c = 0; c < row.size(); ++c) {
            const double need = static_cast<double>(trimmed(row[c].text).size() + kWidthPadding);
            widths[c] = std::clamp(need, widths[c], kMaxWidth);
        }
    }
    return widths;
}

// The spreadsheet library is loaded on the first workbook, not at start: a batch run that
// writes no workbook does not pay for mapping it and the libraries it pulls in.
struct Lxw {
    decltype(&workbook_new) newBook = nullptr;
    decltype(&workbook_close) close = nullptr;
    decltype(&workbook_add_format) addFormat = nullptr;
    decltype(&format_set_num_format) setNumFormat = nullptr;
    decltype(&workbook_add_worksheet) addSheet = nullptr;
    decltype(&worksheet_write_number) writeNumber = nullptr;
    decltype(&worksheet_write_string) writeString = nullptr;
    decltype(&worksheet_set_column) setColumn = nullptr;
    decltype(&worksheet_freeze_panes) freezePanes = nullptr;
    decltype(&lxw_strerror) strerror = nullptr;
    std::string error; // why the library could not be loaded; empty when it was
};

template <class F> bool bind(void* lib, F& fn, const char* name) {
    fn = reinterpret_cast<F>(dlsym(lib, name));
    return fn != nullptr;
}

const Lxw& lxw() {
    static const Lxw loaded = [] {
        Lxw l;
        void* lib = nullptr;
        for (const char* name : {"libxlsxwriter.so.4", "libxlsxwriter.so"})
            if ((lib = dlopen(name, RTLD_NOW | RTLD_LOCAL))) break;
        if (!lib) {
            const char* why = dlerror();
            l.error = std::string("the spreadsheet library libxlsxwriter cannot be loaded") +
                      (why ? std::string(": ") + why : std::string());
            return l;
        }
        const bool all = bind(lib, l.newBook, "workbook_new") && bind(lib, l.close, "workbook_close") &&
                         bind(lib, l.addFormat, "workbook_add_format") &&
                         bind(lib, l.setNumFormat, "format_set_num_format") &&
                         bind(lib, l.addSheet, "workbook_add_worksheet") &&
                         bind(lib, l.writeNumber, "worksheet_write_number") &&
                         bind(lib, l.writeString, "worksheet_write_string") &&
                         bind(lib, l.setColumn, "worksheet_set_column") &&
                         bind(lib, l.freezePanes, "worksheet_freeze_panes") &&
                         bind(lib, l.strerror, "lxw_strerror");
        if (!all) l.error = "the spreadsheet library libxlsxwriter lacks a function this program uses";
        return l;
    }();
    return loaded;
}

class Formats {
  public:
    explicit Formats(lxw_workbook* wb) : wb_(wb) {}
    lxw_format* get(const std::string& code) {
        if (code.empty()) return nullptr;
        auto [it, added] = made_.try_emplace(code, nullptr);
        if (added) {
            it->second = lxw().addFormat(wb_);
            lxw().setNumFormat(it->second, code.c_str());
        }
        return it->second;
    }

  private:
    lxw_workbook* wb_;
    std::map<std::string, lxw_format*> made_;
};

lxw_error writeSheet(lxw_workbook* wb, Formats& formats, const Sheet& sheet) {
    lxw_worksheet* ws = lxw().addSheet(wb, sheet.name.c_str());
    if (!ws) return LXW_ERROR_SHEETNAME_ALREADY_USED;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const auto& row = sheet.rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            const SheetCell& cell = row[c];
            const auto rr = static_cast<lxw_row_t>(r);
            const auto cc = static_cast<lxw_col_t>(c);
            lxw_error e = LXW_NO_ERROR;
            if (cell.kind == SheetCell::Kind::Number)
                e = lxw().writeNumber(ws, rr, cc, cell.number, formats.get(cell.format));
            else if (cell.kind == SheetCell::Kind::Text && !cell.text.empty())
                e = lxw().writeString(ws, rr, cc, asUtf8(cell.text).c_str(), nullptr);
            if (e != LXW_NO_ERROR) return e;
        }
    }
    const auto widths = columnWidths(sheet);
    for (std::size_t c = 0; c < widths.size(); ++c)
        lxw().setColumn(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), widths[c], nullptr);
    if (sheet.frozenRows > 0) lxw().freezePanes(ws, static_cast<lxw_row_t>(sheet.frozenRows), 0);
    return LXW_NO_ERROR;
}

fs::path scratchPath() {
    std::random_device rd;
    std::error_code ec;
    const fs::path dir = fs::temp_directory_path(ec);
    return (ec ? fs::path(".") : dir) /
           ("kelvaspec-book-" + std::to_string(rd()) + "-" + std::to_string(rd()) + ".xlsx");
}

} // namespace

SheetCell textCell(std::string text) {
    SheetCell c;
    c.kind = SheetCell::Kind::Text;
    c.text = std::move(text);
    return c;
}

SheetCell numberCell(std::string_view text) {
    SheetCell c;
    c.kind = SheetCell::Kind::Number;
    c.text = std::string(text);
    c.number = text::leadingNumber(text);
    c.format = numberFormatOf(text);
    return c;
}

std::string numberFormatOf(std::string_view text) {
    const std::string_view s = trimmed(text);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    const std::size_t whole = countDigits(s, i);
    std::size_t decimals = 0;
    if (i < s.size() && s[i] == '.') {
        ++i;
        decimals = countDigits(s, i);
    }
    if (whole + decimals == 0) return {};
    std::size_t expDigits = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '-' || s[j] == '+')) ++j;
        expDigits = countDigits(s, j);
    }
    std::string code = "0";
    if (decimals > 0) code += "." + std::string(decimals, '0');
    if (expDigits > 0) return code + "E+" + std::string(std::max<std::size_t>(expDigits, 2), '0');
    return decimals > 0 ? code : std::string();
}

bool workbookBytes(const Workbook& book, std::string& bytes, std::string& err) {
    if (!lxw().error.empty()) {
        err = "cannot build the workbook: " + lxw().error;
        return false;
    }
    const fs::path scratch = scratchPath();
    lxw_workbook* wb = lxw().newBook(scratch.string().c_str());
    if (!wb) {
        err = "cannot build the workbook: out of memory";
        return false;
    }
    Formats formats(wb);
    lxw_error e = LXW_NO_ERROR;
    for (const Sheet& sheet : book.sheets)
        if ((e = writeSheet(wb, formats, sheet)) != LXW_NO_ERROR) break;
    const lxw_error closed = lxw().close(wb);
    if (e == LXW_NO_ERROR) e = closed;
    auto content = e == LXW_NO_ERROR ? readWholeFile(scratch.string()) : std::nullopt;
    std::error_code ignored;
    fs::remove(scratch, ignored);
    if (e != LXW_NO_ERROR || !content) {
        err = std::string("cannot build the workbook: ") +
              (e != LXW_NO_ERROR ? lxw().strerror(e) : "its scratch file cannot be read back");
        return false;
    }
    bytes = std::move(*content);
    return true;
}

bool writeWorkbook(const std::string& path, const Workbook& book, std::string& err) {
    std::string bytes;
    return workbookBytes(book, bytes, err) && writeFileAtomic(path, bytes, err);
}

bool writeNewWorkbook(const std::string& dir, const std::string& stem, const Workbook& book,
                      std::string& path, std::string& err) {
    std::string bytes;
    return workbookBytes(book, bytes, err) && writeNewFile(dir, stem, ".xlsx", bytes, path, err);
}

} // namespace kelva
