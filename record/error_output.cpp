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

void writeErrorLines(std::string_view lines) {
    ErrorOutput& errors = output();
    const std::lock_guard<std::mutex> lock(errors.mutex);
    errors.get().write(lines);
}

void writeErrorLine(std::string_view line) {
    std::string text;
    text.reserve(line.size() + 1);
    text.append(line);
    text += '\n';
    writeErrorLines(text);
}

} // namespace kv
