#pragma once

#include "record/csv_reader.h"
#include "record/reading_store.h"
#include "record/record_note.h"
#include "record/record_statistics.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace kv {

// The rows of a CSV recording with their statistics, read off the thread that shows them and
// then handed to the record whole (Recorder::adopt).
struct Recording {
    ReadingStore rows;
    std::vector<RecordNote> notes;
    StatisticsTally tally;
    TimeMs start = 0;

    // Reads what `reader` has beyond what it read (see CsvReader::readAvailable) and
    // tallies it. False when reading failed.
    bool read(CsvReader& reader, const std::atomic<bool>* cancel = nullptr,
              const std::function<void(std::uint64_t, std::uint64_t)>& progress = {});
};

// Tallies the kept rows of `rows` from `first` on.
void tallyRows(StatisticsTally& tally, const ReadingStore& rows, std::size_t first);

} // namespace kv
