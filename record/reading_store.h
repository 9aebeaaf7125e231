#pragma once

#include "core/reading.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kv {

// What rows were measured with. Rows share these: they change only when the meter's
// function switch or its range does.
struct RowContext {
    std::string unit; // UTF-8; empty for a gap before the session's first reading
    std::uint8_t function = 0;
    std::uint8_t range = 0;
    bool hasCodes = false; // false only for that gap's context
};

struct Row {
    TimeMs time = 0;
    Reading::Status status = Reading::Status::ok;
    float value = 0;           // NaN for overload and gap rows
    std::uint32_t context = 0; // ReadingStore::context(context)
};

// The rows of one session, eight bytes each, in fixed blocks that are never moved or copied
// as the store grows, so appending costs the same at the first row and at the
// ten-millionth. Each block keeps a short list of the rows where the context changes and of
// the rare rows whose time lies more than six days from the block's time base.
class ReadingStore {
public:
    static constexpr std::uint32_t kNoContext = 0; // no unit, no codes

    ReadingStore();
    ~ReadingStore();
    ReadingStore(const ReadingStore&) = delete;
    ReadingStore& operator=(const ReadingStore&) = delete;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Row operator[](std::size_t index) const; // index < size()
    const RowContext& context(std::uint32_t id) const { return contexts_[id]; }
    // Heap bytes held for rows and contexts.
    std::size_t memoryBytes() const;

    // The id of a context, made on first use. Ids stay valid until clear().
    std::uint32_t contextOf(std::string_view unit, std::uint8_t function, std::uint8_t range);
    void append(TimeMs time, Reading::Status status, float value, std::uint32_t context);
    // Drops every row and context and gives their memory back.
    void clear();
    // Exchanges the rows and contexts of two stores; nothing is copied.
    void swap(ReadingStore& other) noexcept;
    // Makes this store a copy of `other`: a pass over its memory, far quicker than
    // writing its rows out.
    void copyFrom(const ReadingStore& other);

private:
    struct Block;

    std::vector<std::unique_ptr<Block>> blocks_;
    std::size_t size_ = 0;
    std::vector<RowContext> contexts_;
    std::unordered_map<std::string, std::uint32_t> contextIds_;
};

} // namespace kv
