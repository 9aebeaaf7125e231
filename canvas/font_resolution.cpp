#include "canvas/font_resolution.h"

#include <QFontMetrics>
#include <algorithm>
#include <map>
#include <tuple>

namespace kv {

namespace {

int pointsToPixels(int points) {
    // Rounded like MulDiv(points, 96, 72).
    const long num = long(points) * 96;
    return int(num >= 0 ? (num + 36) / 72 : -((-num + 36) / 72));
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

// Pixel size whose QFontMetrics cell height (ascent + descent) is the largest not above
// `cell`; fonts are scaled outlines, so the search is over the whole range, cached per
// face and style because QFontMetrics is not free.
int pixelSizeForCell(const FontSpec& f, int cell) {
    using Key = std::tuple<std::string, bool, bool, int>;
    static std::map<Key, int> cache;
    const Key key{f.name, f.bold, f.italic, cell};
    const auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    QFont q = baseFont(f);
    int best = 1;
    for (int px = 1; px <= cell; ++px) {
        q.setPixelSize(px);
        const QFontMetrics fm(q);
        if (fm.ascent() + fm.descent() <= cell)
            best = px;
        else
            break;
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
        px = -f.height;
    else
        px = pointsToPixels(f.size);
    q.setPixelSize(std::max(1, px));
    return q;
}

} // namespace kv
