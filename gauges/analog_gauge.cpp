#include "gauges/analog_gauge.h"

#include "core/rounding.h"
#include "format/number_format.h"

#include <QLocale>
#include <cmath>
#include <cstring>

namespace kv {

int linearDigit(double value, double valueFrom, double digitsPerValue, int digitalFrom) {
    return roundToInt((value - valueFrom) * digitsPerValue + digitalFrom);
}

int logDigit(double value, double valueFrom, double digitsPerDecade, int digitalFrom) {
    // Round before adding the offset, as the mapping back from a digit assumes.
    return roundToInt(std::nearbyint(std::log10(value * (1.0 / valueFrom)) * digitsPerDecade) +
                      digitalFrom);
}

QString longTimeFormatWithoutZone(const QString& format) {
    QString clock;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted; // '' inside quotes toggles twice and stays quoted
        else if (!quoted && c == QLatin1Char('t'))
            continue;
        clock += c;
    }
    // Brackets that held only the zone go with it, and so do the blanks beside it.
    clock.remove(QStringLiteral("()"));
    clock.remove(QStringLiteral("[]"));
    return clock.simplified();
}

int digitToPpt(int digit, int digitalFrom, int digitalSpan) {
    return roundToInt(1000.0 / digitalSpan * (double(digit) - digitalFrom));
}

AnalogGauge::AnalogGauge(QObject* parent, bool designing) : QObject(parent), designing_(designing) {
    // Both flags start set so that this first check sees the defaults as a change.
    updateLimits();
}

AnalogGauge::~AnalogGauge() = default;

void AnalogGauge::beginUpdate() {
    ++updateLock_;
}

void AnalogGauge::endUpdate() {
    --updateLock_;
    if (updateLock_ < 0)
        updateLock_ = 0;
    if (updateLock_ == 0)
        paramChange();
}

void AnalogGauge::paramChange() {
    if (updateLock_ == 0)
        settingsChange();
}

void AnalogGauge::faceChange() {
    valueStale_ = true;
    emit faceChanged();
}

void AnalogGauge::refreshValue() {
    if (valueStale_)
        valueChange();
}

QString AnalogGauge::toolTip() const {
    // The tool tip breaks its lines at line feeds.
    return QString::fromStdString(hint_).replace(QChar('\r'), QChar('\n'));
}

void AnalogGauge::setValue(float v) {
    if (v == value_)
        return;
    if (logScale_ && !(v > 0))
        return;
    value_ = v;
    digit_ = valueToDigit(v);
    dispatch();
}

void AnalogGauge::setDigit(int d) {
    if (d == digit_)
        return;
    digit_ = d;
    const auto& ss = signalSettings_;
    const double offset = double(d) - ss.digitalFrom();
    if (!logScale_)
        value_ = float(offset * ss.valuePerDigit() + ss.valueFrom());
    else if (digitsPerDecade_ != 0 && digitsPerDecade_ - logOffset_ != 0)
        value_ = float(std::pow(10.0, offset / digitsPerDecade_ - logOffset_));
    dispatch();
}

void AnalogGauge::setLimitUpper(float v) {
    if (v == limitUpper_)
        return;
    limitUpper_ = v;
    valueChange();
}

void AnalogGauge::setLimitLower(float v) {
    if (v == limitLower_)
        return;
    limitLower_ = v == 0.0f ? 0.0001f : v;
    valueChange();
}

void AnalogGauge::setHintOptions(HintOptions s) {
    const bool switchedOn =
        !hintOptions_.contains(HintOption::hoAutoHint) && s.contains(HintOption::hoAutoHint);
    hintOptions_ = s;
    if (switchedOn)
        valueChange(); // builds the hint at once
}

void AnalogGauge::setFont(const FontSpec& f) {
    if (f == font_)
        return;
    font_ = f;
    if (loaded_)
        settingsChange();
}

void AnalogGauge::loaded() {
    loaded_ = true;
    signalSettings_.onChange = [this](SettingsObject&) { settingsChange(); };
    sectorSettings_.onChange = [this](SettingsObject&) { settingsChange(); };
    minMax_.reset();
    minMax_.onChange = [this](SettingsObject&) { minMaxChange(); };
}

void AnalogGauge::setReadingFormat(const std::string& pictureFormat) {
    signalSettings_.setValueFormat(pictureFormat);
}

void AnalogGauge::setReadingUnit(const std::string& unit) {
    signalSettings_.setValueUnit(unit);
}

void AnalogGauge::setReadingValue(float value) {
    setValue(value);
}

void AnalogGauge::settingsChange() {
    auto& ss = signalSettings_;
    ss.recompute();
    if (logScale_) {
        digitsPerDecade_ = ss.digitalSpan() / std::log10(double(ss.valueTo()) / ss.valueFrom());
        logOffset_ = std::log10(1.0 / ss.valueFrom());
        if (value_ <= 0)
            value_ = 1.0f;
    }
    digit_ = valueToDigit(value_);
    if (onSettingsChange)
        onSettingsChange(*this);
    faceChange();
}

void AnalogGauge::valueChange() {
    // A new minimum or maximum runs this again from inside; the flag holds until the
    // outermost run is done, and is released when the update throws.
    struct Running {
        bool& flag;
        bool outer;
        ~Running() {
            if (outer)
                flag = false;
        }
    } running{updatingValue_, !updatingValue_};
    updatingValue_ = true;
    const auto& ss = signalSettings_;
    valueText_ = formatNumber(ss.valueFormat(), static_cast<long double>(value_));
    ppt_ = digitToPpt(digit_, ss.digitalFrom(), ss.digitalSpan());

    // Sectors may overlap; each reports its own entry and exit.
    bool* inSector[] = {&inSector1_, &inSector2_, &inSector3_};
    for (int k = 1; k <= 3; ++k) {
        const bool in = sectorSettings_.contains(k, ppt_);
        if (in == *inSector[k - 1])
            continue;
        *inSector[k - 1] = in;
        if (onSectorChange)
            onSectorChange(*this, k == 1, k == 2, k == 3, in);
    }

    updateLimits();

    // Out of range is reported once on entry and once on return; the position handed
    // out is the unclamped one.
    if (ppt_ < 0 || ppt_ > 1000) {
        const bool high = ppt_ > 1000;
        if (!(high ? overflowHigh_ : overflowLow_)) {
            overflowHigh_ = high;
            overflowLow_ = !high;
            overflowChange(ppt_);
            if (onOverflow)
                onOverflow(*this, ppt_);
        }
        ppt_ = high ? 1000 : 0;
    } else if (overflowLow_ || overflowHigh_) {
        overflowLow_ = overflowHigh_ = false;
        overflowChange(ppt_);
        if (onOverflow)
            onOverflow(*this, ppt_);
    }

    if (designing()) {
        minPpt_ = maxPpt_ = ppt_;
    } else {
        // The first capture after a reset is not a change worth reporting.
        if (minMax_.min() > value_) {
            const float old = minMax_.min();
            minMax_.setMin(value_);
            minPpt_ = ppt_;
            if (old != MinMax::kMinReset)
                minMaxChange();
        }
        if (minMax_.max() < value_) {
            const float old = minMax_.max();
            minMax_.setMax(value_);
            maxPpt_ = ppt_;
            if (old != MinMax::kMaxReset)
                minMaxChange();
        }
    }

    if (hintOptions_.contains(HintOption::hoAutoHint) && !designing()) {
        hint_ = composeHint();
        emit hintChanged();
    }

    if (onValueChange)
        onValueChange(*this);
    valueStale_ = false;
    emit valueUpdated();
}

void AnalogGauge::overflowChange(int) {}

void AnalogGauge::limitChange() {}

void AnalogGauge::minMaxChange() {
    if (onMinMaxChange)
        onMinMaxChange(*this);
    valueChange();
}

void AnalogGauge::logScaleChange() {
    paramChange();
}

void AnalogGauge::applyLogScale(bool on) {
    auto& ss = signalSettings_;
    logScale_ = on;
    ss.setLogMode(on);
    sectorSettings_.setLogMode(on);
    if (on) {
        if (value_ <= 0)
            value_ = 0.001f;
        ss.setValueFrom(ss.valueFrom() > 0 ? powerOfTenNearest(ss.valueFrom()) : 0.001f);
        ss.setValueTo(powerOfTenNearest(ss.valueTo()));
        const double from = ss.valueFrom(), to = ss.valueTo();
        digitsPerDecade_ = from != to ? ss.digitalSpan() / std::log10(to / from) : ss.digitalSpan();
        logOffset_ = std::log10(1.0 / from);
        digit_ = logDigit(value_, from, digitsPerDecade_, ss.digitalFrom());
    } else {
        digit_ = linearDigit(value_, ss.valueFrom(), ss.digitsPerValue(), ss.digitalFrom());
    }
}

const std::string& AnalogGauge::extremeLine(ExtremeLine& kept, const char* label, float value,
                                            const Timestamp& at) const {
    const auto& ss = signalSettings_;
    const bool date = hintOptions_.contains(HintOption::hoMinMaxDate);
    const bool time = hintOptions_.contains(HintOption::hoMinMaxTime);
    // Compared bitwise: a NaN extreme is the same line again.
    if (!kept.text.empty() && std::memcmp(&kept.value, &value, sizeof value) == 0 &&
        kept.at == at && kept.format == ss.valueFormat() && kept.unit == ss.valueUnit() &&
        kept.date == date && kept.time == time)
        return kept.text;
    const QLocale locale = QLocale::system();
    std::string text = label + formatNumber(ss.valueFormat(), static_cast<long double>(value)) +
                       " " + ss.valueUnit();
    if (date)
        text += " " + locale.toString(at.date(), QLocale::ShortFormat).toStdString();
    if (time)
        text +=
            " " + locale
                      .toString(at.time(),
                                longTimeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)))
                      .toStdString();
    kept = ExtremeLine{value, at, ss.valueFormat(), ss.valueUnit(), date, time, std::move(text)};
    return kept.text;
}

std::string AnalogGauge::composeHint() const {
    const auto& ss = signalSettings_;
    const auto has = [this](HintOption o) { return hintOptions_.contains(o); };
    std::string text;
    const auto newLine = [&text] {
        if (!text.empty())
            text += '\r';
    };

    if (has(HintOption::hoValue))
        text = "Value= " + valueText_ + " " + ss.valueUnit();
    if (has(HintOption::hoMin)) {
        newLine();
        text += extremeLine(minLine_, "MIN= ", minMax_.min(), minMax_.minDateTime());
    }
    if (has(HintOption::hoMax)) {
        newLine();
        text += extremeLine(maxLine_, "MAX= ", minMax_.max(), minMax_.maxDateTime());
    }
    if (has(HintOption::hoName1)) {
        newLine();
        text += ss.name1();
    }
    if (has(HintOption::hoName2)) {
        newLine();
        text += ss.name2();
    }
    return text;
}

int AnalogGauge::valueToDigit(float v) const {
    const auto& ss = signalSettings_;
    return logScale_ ? logDigit(v, ss.valueFrom(), digitsPerDecade_, ss.digitalFrom())
                     : linearDigit(v, ss.valueFrom(), ss.digitsPerValue(), ss.digitalFrom());
}

void AnalogGauge::dispatch() {
    if (designing())
        settingsChange();
    else
        valueChange();
}

void AnalogGauge::updateLimits() {
    const bool upper = value_ > limitUpper_;
    const bool lower = value_ < limitLower_;
    if (upper == upperExceeded_ && lower == lowerExceeded_)
        return;
    upperExceeded_ = upper;
    lowerExceeded_ = lower;
    limitChange();
    if (onLimit)
        onLimit(*this, lower, upper);
}

} // namespace kv
