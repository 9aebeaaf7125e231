#include "tools/gallery/gallery.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

namespace kv::gallery {
std::vector<Entry>& entries() {
    static std::vector<Entry> list;
    return list;
}
} // namespace kv::gallery

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render-gallery OUTDIR\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(".")) {
        std::fprintf(stderr, "render-gallery: cannot create %s\n", argv[1]);
        return 1;
    }
    int failures = 0;
    for (const auto& e : kv::gallery::entries()) {
        const QString path = dir.filePath(e.file);
        if (!e.render().save(path)) {
            std::fprintf(stderr, "render-gallery: cannot write %s\n", qPrintable(path));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(path));
        }
    }
    return failures ? 1 : 0;
}
