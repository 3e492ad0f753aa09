// The comma-separated field reader and writer, and the safe replacement of whole files.
#include "files/fields.h"

#include "files/numtext.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kelva {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Length of the number that starts the text (sign, digits, ".", exponent with E or D);
// 0 when the text does not start with one. The same grammar as text::leadingNumber.
std::size_t numberLength(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t k = j;
        while (k < s.size() && isDigit(s[k])) ++k;
        if (k > j) i = k;
    }
    return i;
}

std::optional<double> wholeNumber(std::string_view s) {
    if (s.empty() || numberLength(s) != s.size()) return std::nullopt;
    return text::leadingNumber(s);
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Line ends inside a quoted text (CR LF, LF or a lone CR each count once).
int countLineEnds(std::string_view s) {
    int n = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n' || (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n'))) ++n;
    }
    return n;
}

// The next comma or line end at or after `from` (npos when none): one pass over the text.
std::size_t separatorFrom(std::string_view s, std::size_t from) {
    for (std::size_t i = from; i < s.size(); ++i)
        if (s[i] == ',' || s[i] == '\r' || s[i] == '\n') return i;
    return std::string_view::npos;
}

std::size_t bomLength(const std::string& s) {
    return s.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
}

std::string found(const Field& f) {
    return "found \"" + f.text + "\"";
}

} // namespace

std::optional<double> Field::number() const {
    if (quoted) return std::nullopt;
    return wholeNumber(text);
}

std::string ReadError::describe() const {
    if (line <= 0) return file + ": " + message;
    std::string where = file + ", line " + std::to_string(line);
    if (field > 0) where += ", field " + std::to_string(field);
    return where + ": " + message;
}

FieldReader::FieldReader(std::string content, std::string name)
    : buf_(std::move(content)), name_(std::move(name)) {
    pos_ = bomLength(buf_);
}

std::optional<FieldReader> FieldReader::open(const std::string& path) {
    auto content = readWholeFile(path);
    if (!content) return std::nullopt;
    return FieldReader(std::move(*content), std::filesystem::path(path).filename().string());
}

// pos_ == size after a separating comma still owes the empty field that follows it; a field
// that runs into the end of the buffer moves pos_ one past the size so that nothing is owed.
bool FieldReader::atEnd() const {
    if (pos_ < buf_.size()) return false;
    return !(pos_ == buf_.size() && pos_ > bomLength(buf_) && buf_[pos_ - 1] == ',');
}

bool FieldReader::next(Field& f) {
    if (atEnd()) return false;
    const std::size_t n = buf_.size();
    std::string_view all(buf_);
    while (pos_ < n && isBlank(buf_[pos_])) ++pos_;
    f.line = line_;
    f.index = ++fieldOnLine_;
    f.quoted = pos_ < n && buf_[pos_] == '"';
    std::size_t stop;
    if (f.quoted) {
        std::size_t close = all.find('"', pos_ + 1);
        std::size_t textEnd = close == std::string_view::npos ? n : close;
        std::string_view body = all.substr(pos_ + 1, textEnd - pos_ - 1);
        f.text.assign(body);
        line_ += countLineEnds(body);
        // Whatever follows the closing quote up to the separator is not part of the field.
        stop = close == std::string_view::npos ? n : separatorFrom(all, close + 1);
    } else {
        stop = separatorFrom(all, pos_);
        if (stop == std::string_view::npos) stop = n;
        std::string_view body = all.substr(pos_, stop - pos_);
        while (!body.empty() && isBlank(body.back())) body.remove_suffix(1);
        f.text.assign(body);
    }
    if (stop == std::string_view::npos || stop >= n) {
        pos_ = n + 1;
    } else if (buf_[stop] == ',') {
        pos_ = stop + 1;
    } else {
        pos_ = stop + 1;
        if (buf_[stop] == '\r' && pos_ < n && buf_[pos_] == '\n') ++pos_;
        ++line_;
        fieldOnLine_ = 0;
    }
    ++count_;
    last_ = f;
    return true;
}

bool FieldReader::skip(int n) {
    Field f;
    for (int i = 0; i < n; ++i)
        if (!next(f)) return false;
    return true;
}

void FieldReader::rewind() {
    pos_ = bomLength(buf_);
    line_ = 1;
    fieldOnLine_ = 0;
    count_ = 0;
    last_ = Field{};
    err_.reset();
}

bool FieldReader::fail(const std::string& message, const Field* at) {
    if (!err_) {
        ReadError e;
        e.file = name_;
        e.line = at ? at->line : line_;
        e.field = at ? at->index : fieldOnLine_ + 1;
        e.message = message;
        err_ = std::move(e);
    }
    return false;
}

void FieldReader::setError(const std::string& message) {
    fail(message, count_ > 0 ? &last_ : nullptr);
}

bool FieldReader::readText(std::string& out, const char* what) {
    Field f;
    if (!next(f)) return fail(std::string("the file ends early (expected ") + what + ")", nullptr);
    out = std::move(f.text);
    return true;
}

bool FieldReader::readNumber(double& out, const char* what) {
    Field f;
    if (!next(f)) return fail(std::string("the file ends early (expected ") + what + ")", nullptr);
    std::optional<double> v;
    if (f.quoted)
        v = wholeNumber(trimmed(f.text)); // a number written in quotes is still that number
    else
        v = f.text.empty() ? std::optional<double>(0.0) : f.number();
    if (!v) return fail(std::string("expected ") + what + ", " + found(f), &f);
    out = *v;
    return true;
}

bool FieldReader::readFloat(float& out, const char* what) {
    double d = 0;
    if (!readNumber(d, what)) return false;
    // Converting a double beyond the float range is undefined: hold it at the largest float.
    constexpr double big = std::numeric_limits<float>::max();
    out = static_cast<float>(std::clamp(d, -big, big));
    return true;
}

bool FieldReader::readInt16(std::int16_t& out, const char* what) {
    double d = 0;
    if (!readNumber(d, what)) return false;
    double r = std::floor(d);
    double rest = d - r;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(r, 2.0) != 0)) r += 1;
    if (r < -32768 || r > 32767) {
        return fail(std::string("expected ") + what + " from -32768 to 32767, " + found(last_), &last_);
    }
    out = static_cast<std::int16_t>(r);
    return true;
}

// ---- writing ----

void FieldWriter::sep() {
    if (lineStarted_) buf_ += ',';
    lineStarted_ = true;
}

// The format has no escape for a double quote inside a text, so one is written as a single
// quote: the text then reads back as one field instead of cutting the record apart.
void FieldWriter::text(std::string_view s) {
    sep();
    buf_ += '"';
    if (s.find('"') == std::string_view::npos)
        buf_ += s;
    else
        for (char c : s) buf_ += c == '"' ? '\'' : c;
    buf_ += '"';
}

void FieldWriter::number(double v, int digits) {
    sep();
    text::appendBare(buf_, v, digits);
}

void FieldWriter::single(float v) {
    sep();
    text::appendBare(buf_, static_cast<double>(v), text::kSingleDigits);
}

void FieldWriter::integer(long v) {
    sep();
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, v);
    buf_.append(digits, r.ptr);
}

void FieldWriter::empty() {
    sep();
}

void FieldWriter::raw(std::string_view s) {
    sep();
    buf_ += s;
}

void FieldWriter::endLine() {
    buf_ += "\r\n";
    lineStarted_ = false;
}

// ---- whole files ----

namespace {

std::string systemError() {
    return std::strerror(errno);
}

long processId() {
#if defined(_WIN32)
    return _getpid();
#else
    return static_cast<long>(getpid());
#endif
}

bool flushToDisk(std::FILE* f) {
    if (std::fflush(f) != 0) return false;
#if defined(_WIN32)
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

// Makes the rename itself durable; a failure here leaves a correct file and is not reported.
void syncFolder(const std::filesystem::path& folder) {
#if !defined(_WIN32)
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
#else
    (void)folder;
#endif
}

bool writeAll(std::FILE* f, const std::string& content) {
    return content.empty() || std::fwrite(content.data(), 1, content.size(), f) == content.size();
}

} // namespace

bool writeFileAtomic(const std::string& path, const std::string& content, std::string& err) {
    AtomicFileWriter file(path);
    if (!file.open(err)) return false;
    file.write(content);
    return file.commit(err);
}

AtomicFileWriter::AtomicFileWriter(const std::string& path) : target_(path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Replace the file a link points to, not the link itself.
    if (fs::is_symlink(target_, ec)) {
        fs::path real = fs::weakly_canonical(target_, ec);
        if (!ec) target_ = real.string();
    }
    tmp_ = target_ + ".tmp-" + std::to_string(processId());
}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

void AtomicFileWriter::discard() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    std::error_code ignored;
    std::filesystem::remove(tmp_, ignored);
}

bool AtomicFileWriter::open(std::string& err) {
    discard();
    writeError_.clear();
    file_ = std::fopen(tmp_.c_str(), "wb");
    if (!file_) {
        err = "cannot create the temporary file " + tmp_ + ": " + systemError();
        return false;
    }
    // A large buffer: a result file of a long run is written in a few dozen calls. The C library
    // would take the size of a buffer it allocates itself only as a hint (and use a page), so the
    // buffer is ours.
    constexpr std::size_t kBufferSize = std::size_t{1} << 16;
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferSize);
    return true;
}

void AtomicFileWriter::write(std::string_view piece) {
    if (!file_ || !writeError_.empty() || piece.empty()) return;
    if (std::fwrite(piece.data(), 1, piece.size(), file_) != piece.size()) writeError_ = systemError();
}

bool AtomicFileWriter::commit(std::string& err) {
    namespace fs = std::filesystem;
    if (!file_) {
        err = "cannot write " + tmp_ + ": the file is not open";
        return false;
    }
    bool ok = writeError_.empty() && flushToDisk(file_);
    std::string why = !writeError_.empty() ? writeError_ : (ok ? "" : systemError());
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        why = systemError();
    }
    file_ = nullptr;
    std::error_code ec;
    if (!ok) {
        err = "cannot write " + tmp_ + ": " + why;
        fs::remove(tmp_, ec);
        return false;
    }
    auto old = fs::status(target_, ec);
    if (!ec && fs::exists(old)) fs::permissions(tmp_, old.permissions(), ec);
    fs::rename(tmp_, target_, ec);
    if (ec) {
        err = "cannot replace " + target_ + ": " + ec.message();
        std::error_code ignored;
        fs::remove(tmp_, ignored);
        return false;
    }
    syncFolder(fs::path(target_).parent_path());
    return true;
}

bool appendFile(const std::string& path, const std::string& content, std::string& err) {
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) {
        err = "cannot open " + path + " for appending: " + systemError();
        return false;
    }
    bool ok = writeAll(f, content) && std::fflush(f) == 0;
    std::string why = ok ? "" : systemError();
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        why = systemError();
    }
    if (!ok) err = "cannot append to " + path + ": " + why;
    return ok;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string out;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, got);
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad) return std::nullopt;
    return out;
}

} // namespace kelva
