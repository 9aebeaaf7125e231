#include "record/record_note.h"

#include "core/translated.h"

namespace kv {

std::string noteProblem(std::string_view text) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return translated("kv::RecordNote", "A note needs a text");
    // Characters, not bytes: every UTF-8 byte but a continuation begins one.
    std::size_t characters = 0;
    for (const char c : text)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters > kLongestNote)
        return withArguments(
            translated("kv::RecordNote", "A note holds at most %1 characters; this one has %2"),
            {std::to_string(kLongestNote), std::to_string(characters)});
    return {};
}

} // namespace kv
