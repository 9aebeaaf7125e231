#include "record/recording.h"

namespace kv {

bool Recording::read(CsvReader& reader, const std::atomic<bool>* cancel,
                     const std::function<void(std::uint64_t, std::uint64_t)>& progress) {
    const std::size_t before = rows.size();
    const bool ok = reader.readAvailable(rows, cancel, progress);
    for (RecordNote& note : reader.takeNotes())
        notes.push_back(std::move(note));
    tallyRows(tally, rows, before);
    start = reader.start();
    return ok;
}

void tallyRows(StatisticsTally& tally, const ReadingStore& rows, std::size_t first) {
    for (std::size_t i = first; i < rows.size(); ++i) {
        const Row row = rows[i];
        if (keptRow(row))
            tally.add(row, rows.context(row.context));
    }
}

} // namespace kv
