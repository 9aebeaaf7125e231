#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <functional>
#include <map>

namespace kv {

// Small pictures drawn once at a device's resolution, smoothed, and kept for the process:
// the glyphs of large text, which Qt fills from their outlines on every draw at ten times
// the cost of putting a kept picture on the surface. The canvas draws the same figure the
// same way at every ratio; only what costs the time is kept.
class Sprites {
public:
    struct Sprite {
        QImage image;  // premultiplied, transparent around the figure
        QPoint offset; // of the image's top-left corner from the figure's origin, device pixels
    };

    static Sprites& instance();

    // The sprite for `key` (which names everything the picture depends on: figure, colours,
    // ratio, the fraction of a device pixel its origin lies at), drawn by `draw` on first use.
    const Sprite& get(const QByteArray& key, const std::function<Sprite()>& draw);

private:
    Sprites() = default;
    // More than this many are dropped together: a screen's text and dials need a few
    // dozen.
    static constexpr std::size_t kMaxSprites = 256;
    std::map<QByteArray, Sprite> sprites_;
};

} // namespace kv
