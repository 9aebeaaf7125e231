#include "app/readout_painter.h"

#include "app/readout_model.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <string>

namespace kv {

namespace {

// Shares of the height: the digits' row, the row of unit and status under it; the trend
// has what is left.
constexpr double kDigitsShare = 0.56;
constexpr double kMiddleShare = 0.16;
constexpr double kMarginShare = 0.02;
constexpr int kStatusLines = 3;

std::string utf8(const QString& s) {
    return s.toStdString();
}

// The largest character height, at most `pixels`, at which `text` is at most `width` wide
// in the fonts `font` gives.
int fittingPixels(Canvas& canvas, const std::string& text, int width, int pixels,
                  FontSpec (*font)(int, ColorValue)) {
    pixels = std::max(pixels, 1);
    if (text.empty() || width <= 0)
        return pixels;
    // Text widths grow about linearly with the height: a guess, then down in small steps
    // for what hinting adds.
    canvas.setFont(font(pixels, clBlack));
    const int measured = canvas.textWidth(text);
    if (measured > width)
        pixels = std::max(1, static_cast<int>(std::floor(double(pixels) * width / measured)));
    for (int tries = 0; tries < 20 && pixels > 1; ++tries) {
        canvas.setFont(font(pixels, clBlack));
        if (canvas.textWidth(text) <= width)
            break;
        pixels = std::max(1, pixels * 97 / 100);
    }
    return pixels;
}

// `text` cut at its end with "…" so that it is at most `width` wide in the canvas's font.
QString elided(Canvas& canvas, const QString& text, int width) {
    if (canvas.textWidth(utf8(text)) <= width)
        return text;
    const QString mark = QStringLiteral("…");
    int low = 0, high = static_cast<int>(text.size());
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (canvas.textWidth(utf8(text.left(mid) + mark)) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return text.left(low) + mark;
}

// The status notes broken at words into lines at most `width` wide, each note on a line of
// its own; at most `maxLines`, the last one ending in "…" where something is left off.
QStringList wrapped(Canvas& canvas, const QStringList& notes, int width, int maxLines) {
    QStringList lines;
    bool cut = false;
    for (const QString& note : notes)
        for (const QString& sentence : note.split(QLatin1Char('\n'))) {
            QString line;
            for (const QString& word : sentence.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
                if (line.isEmpty() || canvas.textWidth(utf8(longer)) <= width) {
                    line = longer;
                    continue;
                }
                lines << line;
                line = word;
            }
            if (!line.isEmpty())
                lines << line;
        }
    if (lines.size() > maxLines) {
        lines = lines.mid(0, maxLines);
        cut = true;
    }
    for (int i = 0; i < lines.size(); ++i) {
        const bool last = i == lines.size() - 1;
        lines[i] = elided(canvas, cut && last ? lines[i] + QStringLiteral("…") : lines[i], width);
    }
    return lines;
}

} // namespace

FontSpec readoutDigitsFont(int pixels, ColorValue color) {
    FontSpec f;
    f.name = "Arial";
    f.height = -pixels;
    f.bold = true;
    f.color = color;
    return f;
}

FontSpec readoutTextFont(int pixels, ColorValue color) {
    FontSpec f = readoutDigitsFont(pixels, color);
    f.bold = false;
    return f;
}

ReadoutLayout layoutReadout(Canvas& canvas, const Rect& rect, const ReadoutModel& model) {
    ReadoutLayout l;
    const int w = rect.width(), h = rect.height();
    if (w <= 0 || h <= 0)
        return l;
    const int margin = std::max(1, static_cast<int>(std::lround(h * kMarginShare)));
    const int inner = std::max(1, w - 2 * margin);
    const int digitsRow = static_cast<int>(std::lround(h * kDigitsShare));
    const int middleRow = static_cast<int>(std::lround(h * kMiddleShare));

    // A character height of the Arial family takes about 1.12 of itself as a line.
    const int byHeight = std::max(1, static_cast<int>(digitsRow / 1.12));
    l.digitsPixels =
        fittingPixels(canvas, utf8(model.digits()), inner, byHeight, readoutDigitsFont);
    canvas.setFont(readoutDigitsFont(l.digitsPixels, clBlack));
    const Size digits = canvas.textExtent(utf8(model.digits()));
    const int digitsTop = rect.top + margin + std::max(0, (digitsRow - digits.height) / 2);
    l.digits = Rect{rect.left + margin + (inner - digits.width) / 2, digitsTop,
                    rect.left + margin + (inner - digits.width) / 2 + digits.width,
                    digitsTop + digits.height};

    const int middleTop = rect.top + margin + digitsRow;
    l.unitPixels =
        fittingPixels(canvas, utf8(model.unit()), inner / 2,
                      std::max(1, static_cast<int>(middleRow * 0.75 / 1.12)), readoutDigitsFont);
    canvas.setFont(readoutDigitsFont(l.unitPixels, clBlack));
    const Size unit = canvas.textExtent(utf8(model.unit()));
    const int unitRight = std::max(l.digits.right, rect.left + margin + unit.width);
    l.unit = Rect{unitRight - unit.width, middleTop, unitRight, middleTop + unit.height};

    l.statusPixels = std::max(1, static_cast<int>(middleRow / double(kStatusLines) / 1.15));
    l.status = Rect{rect.left + margin, middleTop,
                    std::max(rect.left + margin, l.unit.left - margin), middleTop + middleRow};
    l.trend = Rect{rect.left + margin, middleTop + middleRow + margin, rect.right - margin,
                   rect.bottom - margin};
    if (l.trend.bottom <= l.trend.top)
        l.trend = Rect{};
    return l;
}

void paintReadout(Canvas& canvas, const Rect& rect, const ReadoutModel& model,
                  const TrendPainter& trend) {
    canvas.setBrushStyle(BrushStyle::bsSolid);
    canvas.fillRect(rect, model.background());
    const ReadoutLayout l = layoutReadout(canvas, rect, model);
    if (l.digitsPixels <= 0)
        return;
    canvas.setBackMode(BackMode::Transparent);
    canvas.setTextAlign(HAlign::Left, VAlign::Top);
    canvas.setFont(readoutDigitsFont(l.digitsPixels, model.digitsColor()));
    canvas.textOut(l.digits.left, l.digits.top, utf8(model.digits()));
    canvas.setFont(readoutDigitsFont(l.unitPixels, clWindowText));
    canvas.textOut(l.unit.left, l.unit.top, utf8(model.unit()));

    canvas.setFont(readoutTextFont(l.statusPixels, clWindowText));
    const int lineHeight = canvas.textHeight("Ag");
    const int room = std::min(kStatusLines, lineHeight > 0 ? l.status.height() / lineHeight : 0);
    int y = l.status.top;
    for (const QString& line : wrapped(canvas, model.status(), l.status.width(), room)) {
        canvas.textOut(l.status.left, y, utf8(line));
        y += lineHeight;
    }
    if (trend && l.trend.width() > 0 && l.trend.height() > 0)
        trend(canvas, l.trend);
}

} // namespace kv
