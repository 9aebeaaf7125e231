#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kv::test {

using CsvRows = std::vector<std::vector<std::string>>;

// Reads CSV as RFC 4180 has it and refuses everything else: a quote inside an unquoted
// field, anything but a comma or a line end after a closing quote, an unclosed quote, a CR
// that does not end a line and a last line without its line end.
inline std::optional<CsvRows> readStrictCsv(const std::string& text) {
    CsvRows rows;
    std::vector<std::string> row;
    std::string field;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size())
                    return std::nullopt;
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"')
                        ++i;
                    else
                        break;
                }
                field += text[i];
            }
            ++i;
        } else {
            for (; i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r'; ++i) {
                if (text[i] == '"')
                    return std::nullopt;
                field += text[i];
            }
        }
        if (i >= text.size())
            return std::nullopt;
        row.push_back(std::move(field));
        field.clear();
        if (text[i] == ',') {
            ++i;
            continue;
        }
        if (text[i] == '\r' && (i + 1 >= text.size() || text[++i] != '\n'))
            return std::nullopt;
        if (text[i] != '\n')
            return std::nullopt;
        ++i;
        rows.push_back(std::move(row));
        row.clear();
    }
    return rows;
}

} // namespace kv::test
