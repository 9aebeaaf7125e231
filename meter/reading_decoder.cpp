#include "meter/reading_decoder.h"

#include <cmath>

namespace kv {

namespace {

struct Span {
    int lo, hi;
};
constexpr Span anyCode{0, 255};
constexpr Span none{-1, -1};

struct Rule {
    Span functions[2];
    Span ranges[4];
    RangeRow row;
};

constexpr Span one(int c) {
    return {c, c};
}

// The meter's decision table. A split of 0 keeps the five digits as a whole number.
constexpr Rule rules[] = {
    {{one(160), none}, {{128, 144}, none, none, none}, {"0.0000", 1, "Hz"}},
    {{one(160), none}, {{152, 168}, none, none, none}, {"00.000", 2, "Hz"}},
    {{one(160), none}, {{176, 216}, none, none, none}, {"000.00", 3, "Hz"}},
    {{one(160), none}, {{224, 248}, none, none, none}, {"0.0000", 1, "KHz"}},
    {{{161, 175}, {227, 231}}, {one(128), one(192), one(224), none}, {"0.0000", 1, nullptr}},
    {{{161, 175}, {227, 231}}, {one(136), one(193), one(200), none}, {"00.000", 2, nullptr}},
    {{{161, 175}, {227, 231}}, {one(144), one(201), one(208), one(216)}, {"000.00", 3, nullptr}},
    {{{161, 175}, {227, 231}}, {one(152), none, none, none}, {"0000.0", 4, nullptr}},
    {{{176, 179}, one(233)}, {one(128), one(192), none, none}, {"00.000", 2, nullptr}},
    {{{176, 179}, one(233)}, {one(136), one(200), none, none}, {"000.00", 3, nullptr}},
    {{one(192), none}, {anyCode, none, none, none}, {"00.000", 2, nullptr}},
    {{one(193), none}, {anyCode, none, none, none}, {"0000.0", 4, nullptr}},
    {{one(208), none}, {one(193), none, none, none}, {"00.000", 2, nullptr}},
    {{one(208), none}, {one(201), none, none, none}, {"000.00", 3, nullptr}},
    {{one(216), none}, {anyCode, none, none, none}, {"0.0000", 1, nullptr}},
    {{one(224), none}, {one(128), one(192), none, none}, {"000.00", 3, "Ohm"}},
    {{one(224), none}, {one(136), one(200), none, none}, {"0.0000", 1, "KOhm"}},
    {{one(224), none}, {one(144), none, none, none}, {"00.000", 2, "KOhm"}},
    {{one(224), none}, {one(152), none, none, none}, {"000.00", 3, "KOhm"}},
    {{one(224), none}, {one(160), none, none, none}, {"0.0000", 1, "MOhm"}},
    {{one(224), none}, {one(168), none, none, none}, {"00.000", 2, "MOhm"}},
    {{one(224), none}, {one(224), none, none, none}, {"0.0000", 1, "MOhm"}},
    {{one(224), none}, {one(232), none, none, none}, {"00.000", 2, "MOhm"}},
    {{one(225), none}, {one(128), none, none, none}, {"000.00", 0, "Ohm"}},
    {{one(226), none}, {one(160), none, none, none}, {"0000.0", 0, "MOhm"}},
    {{one(232), none}, {one(128), one(192), none, none}, {"00.000", 2, "mVolt"}},
    {{one(232), none}, {one(136), one(200), none, none}, {"000.00", 3, "mVolt"}},
    {{one(234), none}, {one(192), none, none, none}, {"000.00", 3, nullptr}},
    {{{240, 241}, {248, 249}}, {one(128), one(192), none, none}, {"0.0000", 1, nullptr}},
    {{{240, 241}, {248, 249}}, {one(136), none, none, none}, {"00.000", 2, nullptr}},
    {{{240, 241}, {248, 249}}, {one(144), none, none, none}, {"000.00", 3, nullptr}},
    {{{240, 241}, {248, 249}}, {one(152), none, none, none}, {"0000.0", 4, nullptr}},
    {{one(242), one(250)}, {one(192), none, none, none}, {"000.00", 3, "dBm"}},
};

template <std::size_t N> bool inSpans(const Span (&spans)[N], int code) {
    for (const Span& s : spans)
        if (code >= s.lo && code <= s.hi)
            return true;
    return false;
}

// The number the five digits stand for with `split` of them before the separator (0: a
// whole number): computed as the conversion of the value text would, the digits as one
// whole number divided once by the power of ten, in extended precision.
long double digitsValue(const std::string& valueText, int split) {
    long double mantissa = 0;
    for (char c : valueText)
        if (c >= '0' && c <= '9')
            mantissa = mantissa * 10 + (c - '0');
    const int decimals = split > 0 ? 5 - split : 0;
    if (decimals > 0 && mantissa != 0)
        mantissa /= std::pow(10.0L, static_cast<long double>(decimals));
    return mantissa;
}

} // namespace

const char* unitForFunction(int functionCode) {
    switch (functionCode) {
    case 160:
        return "Hz";
    case 168:
        return "A - DC";
    case 169:
        return "A - AC";
    case 176:
        return "mA - DC";
    case 177:
        return "mA - AC";
    case 192:
    case 193:
        return "°C";
    case 208:
        return "Hz";
    case 216:
        return "Diodentest";
    case 225:
    case 226:
        return "MOhm";
    case 232:
    case 233:
        return "mV";
    case 234:
        return "dBm";
    case 240:
    case 241:
    case 242:
        return "V-DC";
    case 248:
    case 249:
        return "V-AC";
    case 250:
        return "dBm";
    default:
        return nullptr;
    }
}

const RangeRow* findRangeRow(int functionCode, int rangeCode) {
    for (const Rule& r : rules)
        if (inSpans(r.functions, functionCode) && inSpans(r.ranges, rangeCode))
            return &r.row;
    return nullptr;
}

Decoded decodeReading(const ReplyFrame& frame, std::string& valueText, Reading& reading) {
    const int functionCode = frame.slotValue(kFunctionSlot);
    const int rangeCode = frame.slotValue(kRangeSlot);

    if (const char* unit = unitForFunction(functionCode))
        reading.unit = unit;

    valueText.clear();
    for (int n = kFirstDigitSlot; n <= kLastDigitSlot; ++n)
        valueText += static_cast<char>(frame.slotValue(n));

    for (int n = kFirstDigitSlot; n <= kLastDigitSlot; ++n)
        if (frame.slotValue(n) < '0')
            return Decoded::Rejected;
    reading.function = functionCode;
    reading.range = rangeCode;
    for (int n = kFirstDigitSlot; n <= kLastDigitSlot; ++n)
        if (frame.slotValue(n) > '9') {
            reading.status = Reading::Status::overload;
            return Decoded::Overload;
        }
    reading.status = Reading::Status::ok;

    if (valueText == "00000")
        reading.value = 0.0f;

    const RangeRow* row = findRangeRow(functionCode, rangeCode);
    if (!row) {
        reading.status = Reading::Status::unlisted;
        return Decoded::Unlisted;
    }
    reading.format = row->format;
    if (row->split > 0)
        valueText.insert(static_cast<std::size_t>(row->split), 1, ',');
    reading.value = static_cast<float>(digitsValue(valueText, row->split));
    if (row->unit)
        reading.unit = row->unit;
    return Decoded::Reading;
}

} // namespace kv
