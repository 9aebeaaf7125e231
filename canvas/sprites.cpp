#include "canvas/sprites.h"

namespace kv {

Sprites& Sprites::instance() {
    static Sprites sprites;
    return sprites;
}

const Sprites::Sprite& Sprites::get(const QByteArray& key, const std::function<Sprite()>& draw) {
    const auto found = sprites_.find(key);
    if (found != sprites_.end())
        return found->second;
    if (sprites_.size() >= kMaxSprites)
        sprites_.clear();
    return sprites_.emplace(key, draw()).first->second;
}

} // namespace kv
