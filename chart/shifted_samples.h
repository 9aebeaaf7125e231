#pragma once

#include "core/series_samples.h"

#include <cstdint>

namespace kv {

// Samples kept elsewhere, drawn at another time: every point `offsetMs` later than it was
// taken (a recording laid under the session, its start at the session's start). The
// samples must outlive this.
class ShiftedSamples final : public SeriesSamples {
public:
    explicit ShiftedSamples(const SeriesSamples& samples) : samples_(samples) {}

    std::int64_t offsetMs() const { return offset_; }
    // New times are new points: the generation grows.
    void setOffsetMs(std::int64_t ms);

    int count() const override { return samples_.count(); }
    double y(int index) const override { return samples_.y(index); }
    std::int64_t time(int index) const override { return samples_.time(index) + offset_; }
    int firstAtOrAfterTime(std::int64_t t) const override;
    const std::string& unitAt(int index) const override { return samples_.unitAt(index); }
    bool isBreak(int index) const override { return samples_.isBreak(index); }
    BreakReason breakReason(int index) const override { return samples_.breakReason(index); }
    int breaksIn(int first, int last) const override { return samples_.breaksIn(first, last); }
    int breaksIn(int first, int last, BreakReason reason) const override {
        return samples_.breaksIn(first, last, reason);
    }
    int runStart(int index) const override { return samples_.runStart(index); }
    int runEnd(int index) const override { return samples_.runEnd(index); }
    MinMaxIndex::Extremes yExtremes(int first, int last) const override {
        return samples_.yExtremes(first, last);
    }
    int findFirstY(int first, int last, const MinMaxIndex::BlockTest& test) const override {
        return samples_.findFirstY(first, last, test);
    }
    bool hasNaN() const override { return samples_.hasNaN(); }
    unsigned generation() const override { return samples_.generation() + shifts_; }

private:
    const SeriesSamples& samples_;
    std::int64_t offset_ = 0;
    unsigned shifts_ = 0;
};

} // namespace kv
