#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

namespace kv::gallery {

// One picture of the gallery: a file name (without folder) and what draws it.
struct Entry {
    QString file;
    std::function<QImage()> render;
};

std::vector<Entry>& entries();

struct Registrar {
    Registrar(const QString& file, std::function<QImage()> render) {
        entries().push_back({file, std::move(render)});
    }
};

} // namespace kv::gallery

#define KV_GALLERY_CAT2(a, b) a##b
#define KV_GALLERY_CAT(a, b) KV_GALLERY_CAT2(a, b)
// KV_GALLERY("meter-default.png", [] { ...; return image; });
#define KV_GALLERY(file, fn)                                                                       \
    static ::kv::gallery::Registrar KV_GALLERY_CAT(kvGalleryEntry_, __LINE__)(file, fn)
