#include "levelbar/level_bar.h"
#include "tools/gallery/gallery.h"

#include <QPalette>
#include <QWidget>
#include <functional>

namespace {

// Renders a level bar on a form of the main window's colour.
QImage renderBar(int width, int height, const std::function<void(kv::LevelBar&)>& setUp) {
    QWidget form;
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, kv::toQColor(0xF7DFD6));
    form.setPalette(pal);
    auto* bar = new kv::LevelBar(&form);
    bar->resize(width, height);
    setUp(*bar);
    return bar->renderFace().copy();
}

void mainWindowBar(kv::LevelBar& bar, int position) {
    bar.setBarColorFrom(kv::clBlack);
    bar.setBarColorTo(kv::clNavy);
    bar.setMax(1000);
    bar.setPosition(position);
}

KV_GALLERY("levelbar-default.png", [] {
    return renderBar(150, kv::scrollBarArrowHeight(),
                     [](kv::LevelBar& bar) { bar.setPosition(60); });
});

KV_GALLERY("levelbar-balken-0.png",
           [] { return renderBar(456, 17, [](kv::LevelBar& bar) { mainWindowBar(bar, 0); }); });

KV_GALLERY("levelbar-balken-500.png",
           [] { return renderBar(456, 17, [](kv::LevelBar& bar) { mainWindowBar(bar, 500); }); });

KV_GALLERY("levelbar-balken-1000.png",
           [] { return renderBar(456, 17, [](kv::LevelBar& bar) { mainWindowBar(bar, 1000); }); });

KV_GALLERY("levelbar-smooth.png", [] {
    return renderBar(456, 17, [](kv::LevelBar& bar) {
        bar.setSmooth(true);
        mainWindowBar(bar, 640);
    });
});

KV_GALLERY("levelbar-vertical.png", [] {
    return renderBar(456, 17, [](kv::LevelBar& bar) {
        bar.setOrientation(kv::BarOrientation::pbVertical);
        bar.setPosition(45);
    });
});

} // namespace
