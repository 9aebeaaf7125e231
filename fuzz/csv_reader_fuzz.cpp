// Any bytes as a recording: the reader opens or refuses them, reads every line or names why
// not, and never crashes, reads out of bounds or keeps a row it could not read. The input is
// split in two at a byte it chooses, so that following a file that grows is fuzzed too.
#include "record/csv_reader.h"
#include "record/recording.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int fd = memfd_create("csv_reader_fuzz", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || size == 0)
        return 0;
    const std::size_t split = data[0] % 2 ? size / 2 : size;
    ++data;
    --size;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, split > size ? size : split, 0) < 0)
        return 0;

    kv::CsvReader reader;
    kv::Recording recording;
    if (!reader.open(path)) {
        if (reader.error().empty())
            __builtin_trap();
        return 0;
    }
    recording.read(reader);
    if (split < size && pwrite(fd, data + split, size - split, static_cast<off_t>(split)) < 0)
        return 0;
    recording.read(reader);
    reader.finish();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < recording.rows.size(); ++i) {
        const kv::Row row = recording.rows[i];
        if (row.status == kv::Reading::Status::ok && !std::isfinite(row.value))
            __builtin_trap();
        // A file holds readings only; unit-change marks come in between.
        if (row.status == kv::Reading::Status::unlisted)
            __builtin_trap();
        kept += kv::keptRow(row) ? 1 : 0;
    }
    if (kept != reader.rowsRead())
        __builtin_trap();
    if ((reader.badLines() == 0) != reader.problemsText().empty())
        __builtin_trap();
    (void)kv::parseCsvTime(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
