// The comma-separated field syntax shared by the database, problem and result files.
//
// Reading: a line end counts as a comma; CR LF or LF; leading blanks before a field are
// skipped; a field that begins with a double quote runs to the next double quote (the rest up
// to the next comma or line end is dropped); any other field runs to the next comma or line
// end with trailing blanks removed. An empty line is one empty field. After the last line end
// there are no more fields.
//
// Writing: fields separated by commas, lines ended by CR LF, text between double quotes,
// numbers bare (numtext.h), a value that was never assigned as nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kelva {

struct Field {
    std::string text;  // the field's text (without quotes)
    bool quoted = false;
    int line = 0;      // 1-based line of the file where the field starts
    int index = 0;     // 1-based position of the field on its line

    // An unquoted field whose whole text is a number (".5", "-3", "1.5E-07", "1E+15").
    std::optional<double> number() const;
};

// A reading failure: where it happened and why, in words for the user.
struct ReadError {
    std::string file;
    int line = 0;
    int field = 0;
    std::string message;
    std::string describe() const; // "FILE, line L, field F: message"
};

class FieldReader {
public:
    // Reads from text already in memory; `name` is used in error reports.
    FieldReader(std::string content, std::string name);
    // Reads a whole file; nullopt when it cannot be opened (error() not available then).
    static std::optional<FieldReader> open(const std::string& path);

    // The next field; false at the end of the file.
    bool next(Field& f);
    // Skips n fields; false when the file ends first.
    bool skip(int n = 1);
    bool atEnd() const;
    void rewind();

    // Typed reads that record the first error (see error()) and return false on failure:
    // the end of the file, or text where a number belongs. An empty field reads as 0.
    bool readText(std::string& out, const char* what = "text");
    bool readNumber(double& out, const char* what = "number");
    bool readFloat(float& out, const char* what = "number");
    // A whole number of 16 bits: the value rounded to the nearest integer (halves to even);
    // outside -32768..32767 is an error.
    bool readInt16(std::int16_t& out, const char* what = "whole number");

    const std::optional<ReadError>& error() const { return err_; }
    void setError(const std::string& message); // at the current position
    const std::string& name() const { return name_; }
    int line() const { return line_; }
    std::size_t fieldsRead() const { return count_; }

private:
    bool fail(const std::string& message, const Field* at);

    std::string buf_;
    std::string name_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int fieldOnLine_ = 0;
    std::size_t count_ = 0;
    Field last_;
    std::optional<ReadError> err_;
};

class FieldWriter {
public:
    void text(std::string_view s);           // "s"
    void number(double v, int digits = 15);  // bare general form
    void single(float v);                    // bare, 7 digits
    void integer(long v);                    // plain digits
    void empty();                            // a field with no value
    void raw(std::string_view s);            // as given, e.g. a copied field
    void endLine();                          // CR LF
    const std::string& str() const { return buf_; }
    std::string take() { return std::move(buf_); }
    void clear() { buf_.clear(), lineStarted_ = false; } // keeps the buffer for the next text

private:
    void sep();
    std::string buf_;
    bool lineStarted_ = false;
};

// Replaces `path` with `content`: writes a temporary file beside it, then renames it over the
// old one, so that a failed write never destroys the previous file. Returns false (and a
// message in `err`) when it fails.
bool writeFileAtomic(const std::string& path, const std::string& content, std::string& err);

// writeFileAtomic in pieces, for a text made as it goes (a run's result file): the pieces go to
// the temporary file beside `path` as they come, and commit() flushes it to disk and renames it
// over the old file. A writer destroyed without a successful commit removes its temporary file
// and leaves the old one as it was.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file; false with a message in `err` when it cannot.
    bool open(std::string& err);
    // Appends a piece; a failure is remembered and reported by commit().
    void write(std::string_view piece);
    // Flushes the text to disk and puts it in place; false with a message in `err`.
    bool commit(std::string& err);

private:
    void discard();
    std::string target_; // the file replaced (the one a link points to)
    std::string tmp_;
    std::unique_ptr<char[]> buffer_; // the stream's buffer, outlives file_
    std::FILE* file_ = nullptr;
    std::string writeError_; // the first failed write, empty when none
};
// Appends `content` to `path` (created when missing).
bool appendFile(const std::string& path, const std::string& content, std::string& err);
// The whole file, or nullopt.
std::optional<std::string> readWholeFile(const std::string& path);

} // namespace kelva
