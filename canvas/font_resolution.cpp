#include "canvas/font_resolution.h"

#include "core/rounding.h"

#include <QFontMetrics>
#include <algorithm>
#include <map>
#include <tuple>

namespace kv {

namespace {

int pointsToPixels(long long points) {
    // Rounded like MulDiv(points, 96, 72).
    const long long num = points * 96;
    return clampToInt(num >= 0 ? (num + 36) / 72 : -((-num + 36) / 72));
}

QFont baseFont(const FontSpec& f) {
    QFont q(QString::fromStdString(f.name));
    q.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
    q.setStyleStrategy(QFont::NoAntialias);
    q.setHintingPreference(QFont::PreferFullHinting);
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setKerning(false);
    return q;
}

int cellHeight(QFont& q, int px) {
    q.setPixelSize(px);
    const QFontMetrics fm(q);
    return fm.ascent() + fm.descent();
}

// Pixel size whose QFontMetrics cell height (ascent + descent) is the largest not above
// `cell`. The cell grows with the pixel size, so a bisection finds it in a few dozen
// metrics however tall the cell; cached per face and style because QFontMetrics is not free.
int pixelSizeForCell(const FontSpec& f, int cell) {
    using Key = std::tuple<std::string, bool, bool, int>;
    static std::map<Key, int> cache;
    const Key key{f.name, f.bold, f.italic, cell};
    const auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    QFont q = baseFont(f);
    int best = 1; // the largest size known to fit, or 1 when none does
    int over = std::min(cell, kMaxFontPixels) + 1; // the smallest size known not to fit
    while (over - best > 1) {
        const int mid = best + (over - best) / 2;
        if (cellHeight(q, mid) <= cell)
            best = mid;
        else
            over = mid;
    }
    cache.emplace(key, best);
    return best;
}

} // namespace

QFont toQFont(const FontSpec& f) {
    QFont q = baseFont(f);
    int px;
    if (f.height > 0)
        px = pixelSizeForCell(f, f.height);
    else if (f.height < 0)
        px = clampToInt(-static_cast<long long>(f.height));
    else
        px = pointsToPixels(f.size);
    q.setPixelSize(std::clamp(px, 1, kMaxFontPixels));
    return q;
}

ResolvedFont resolvedFont(const FontSpec& f) {
    using Key = std::tuple<std::string, int, int, bool, bool>;
    constexpr std::size_t kKept = 256;
    thread_local std::map<Key, ResolvedFont> resolved;
    const Key key{f.name, f.height, f.size, f.bold, f.italic};
    const auto it = resolved.find(key);
    if (it != resolved.end())
        return it->second;
    if (resolved.size() >= kKept)
        resolved.clear();
    QFont font = toQFont(f);
    QString name = font.key();
    return resolved.emplace(key, ResolvedFont{std::move(font), std::move(name)}).first->second;
}

} // namespace kv
