#include "record/error_output.h"

#include "record/csv_file.h"
#include "record/log_writer.h"

#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>

namespace kv {

namespace {

// Made at the first line and closed as the program ends, after main().
struct ErrorOutput {
    std::mutex mutex;
    std::unique_ptr<LogWriter> writer;
    bool statusShown = false; // a status line stands on the terminal's last line

    LogWriter& get() {
        if (!writer)
            writer = std::make_unique<LogWriter>(std::make_unique<CsvFile>(STDERR_FILENO),
                                                 kErrorOutputBytes);
        return *writer;
    }
};

ErrorOutput& output() {
    static ErrorOutput errors;
    return errors;
}

} // namespace

// What goes back to the start of the terminal's line and erases it.
constexpr std::string_view kClearLine = "\r\x1b[K";

void writeErrorLines(std::string_view lines) {
    ErrorOutput& errors = output();
    const std::lock_guard<std::mutex> lock(errors.mutex);
    if (errors.statusShown) {
        errors.get().write(kClearLine);
        errors.statusShown = false;
    }
    errors.get().write(lines);
}

void writeStatusLine(std::string_view line) {
    ErrorOutput& errors = output();
    const std::lock_guard<std::mutex> lock(errors.mutex);
    std::string text(kClearLine);
    text.append(line);
    errors.get().write(text);
    errors.statusShown = true;
}

void writeErrorLine(std::string_view line) {
    std::string text;
    text.reserve(line.size() + 1);
    text.append(line);
    text += '\n';
    writeErrorLines(text);
}

} // namespace kv
