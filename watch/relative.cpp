#include "watch/relative.h"

#include "core/translated.h"
#include "format/number_format.h"

#include <cmath>

namespace kv {

namespace {

// The end of the first ";" section, quoted text skipped.
std::size_t firstSectionEnd(const std::string& format) {
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            return i;
        }
    }
    return format.size();
}

} // namespace

std::string signedFormat(const std::string& format) {
    const std::string first = format.substr(0, firstSectionEnd(format));
    // A section of its own for each sign; the zero section catches a difference that rounds
    // away, so a reading back at the reference shows no sign.
    return "\"+\"" + first + ";\"-\"" + first + ";" + first;
}

bool Relative::begin(const Reading& reference) {
    endedFrom_.clear();
    endedTo_.clear();
    if (reference.overload() || !std::isfinite(reference.value)) {
        reference_.reset();
        return false;
    }
    reference_ = reference;
    return true;
}

void Relative::end() {
    reference_.reset();
    endedFrom_.clear();
    endedTo_.clear();
}

bool Relative::toggle(const Reading& shown) {
    if (active()) {
        end();
        return false;
    }
    return begin(shown);
}

std::optional<RelativeReading> Relative::apply(const Reading& reading) {
    if (!reference_)
        return std::nullopt;
    if (reading.unit != reference_->unit) {
        endedFrom_ = reference_->unit;
        endedTo_ = reading.unit;
        reference_.reset();
        return std::nullopt;
    }
    if (reading.overload())
        return std::nullopt;
    RelativeReading out;
    out.difference = static_cast<float>(static_cast<double>(reading.value) - reference_->value);
    out.magnitude = std::fabs(out.difference);
    const std::string& base = reading.format.empty() ? reference_->format : reading.format;
    if (base.empty()) {
        // Without a picture the shortest decimal shows the difference, its sign in front.
        out.text = valueText(out.difference, {}, {});
        if (out.difference > 0)
            out.text.insert(0, 1, '+');
        return out;
    }
    out.format = signedFormat(base);
    out.text = formatNumber(out.format, static_cast<long double>(out.difference));
    return out;
}

std::string Relative::footerText() const {
    if (reference_)
        return withArguments(translated("kv::Relative", "Relative to %1"),
                             {readingText(*reference_)});
    if (!endedFrom_.empty() || !endedTo_.empty())
        return withArguments(
            translated("kv::Relative", "Relative mode ended: the unit changed from %1 to %2"),
            {endedFrom_, endedTo_});
    return {};
}

} // namespace kv
