#include "app/main_form.h"
#include "levelbar/level_bar.h"
#include "tools/gallery/gallery.h"

#include <QPalette>
#include <QWidget>
#include <functional>

namespace {

// Renders a level bar on a form of the main window's colour, for a screen of device pixel
// ratio `ratio`.
QImage renderBar(int width, int height, const std::function<void(kv::LevelBar&)>& setUp,
                 double ratio = 1.0) {
    QWidget form;
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, kv::toQColor(kv::kFormColor));
    form.setPalette(pal);
    auto* bar = new kv::LevelBar(&form);
    bar->resize(width, height);
    setUp(*bar);
    return bar->renderFace(ratio).copy();
}

// The bar `balken` as the main window stores it, at `position` of the maximum 1000 that
// every reading gives it; `vary` changes it first.
QImage mainWindowBar(int position, const std::function<void(kv::LevelBar&)>& vary = {},
                     double ratio = 1.0) {
    const kv::ControlForm& form = kv::mainform::kBalken;
    return renderBar(
        form.width, form.height,
        [&](kv::LevelBar& bar) {
            if (vary)
                vary(bar);
            kv::applyBarSettings(bar);
            bar.setMax(1000);
            bar.setPosition(position);
        },
        ratio);
}

KV_GALLERY("levelbar-default.png", [] {
    return renderBar(150, kv::scrollBarArrowHeight(),
                     [](kv::LevelBar& bar) { bar.setPosition(60); });
});

KV_GALLERY("levelbar-balken-0.png", [] { return mainWindowBar(0); });
KV_GALLERY("levelbar-balken-500.png", [] { return mainWindowBar(500); });
KV_GALLERY("levelbar-balken-1000.png", [] { return mainWindowBar(1000); });
KV_GALLERY("levelbar-balken-500@1.5x.png", [] { return mainWindowBar(500, {}, 1.5); });
KV_GALLERY("levelbar-balken-500@2x.png", [] { return mainWindowBar(500, {}, 2.0); });
KV_GALLERY("levelbar-smooth.png",
           [] { return mainWindowBar(640, [](kv::LevelBar& bar) { bar.setSmooth(true); }); });

KV_GALLERY("levelbar-vertical.png", [] {
    return renderBar(456, 17, [](kv::LevelBar& bar) {
        bar.setOrientation(kv::BarOrientation::pbVertical);
        bar.setPosition(45);
    });
});

} // namespace
