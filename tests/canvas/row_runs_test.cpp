#include "canvas/canvas.h"
#include "canvas/device_grid.h"
#include "canvas/row_runs.h"
#include "support/ratio_pictures.h"

#include <QImage>
#include <gtest/gtest.h>

namespace kv {
namespace {

using test::imageAt;

// Flat rows, a dotted row, a slant and a second run of flat rows below it.
void scene(Canvas& c) {
    c.fillRect(Rect{0, 0, 40, 30}, clWhite);
    c.setPenColor(clBlue);
    c.setPenStyle(PenStyle::psDot);
    c.line(2, 10, 38, 10);
    c.setPenStyle(PenStyle::psSolid);
    c.line(5, 12, 30, 20);
}

TEST(RowRuns, PutsBackExactlyThePixelsOfItsAreaAndNoOthers) {
    for (double ratio : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        QImage img = imageAt({40, 30}, ratio, Qt::white, QImage::Format_RGB32);
        const Rect area{3, 4, 33, 27};
        RowRuns kept;
        {
            Canvas c(img);
            scene(c);
            kept = RowRuns(c, area);
        }
        ASSERT_FALSE(kept.empty());
        const QImage original = img.copy();
        {
            Canvas c(img);
            c.intersectClip(Rect{0, 0, 10, 10}); // the clip does not hold it back
            c.fillRect(Rect{0, 0, 40, 30}, clRed);
        }
        QImage outside = img.copy();
        {
            Canvas c(img);
            kept.put(c);
        }
        const Rect d = DeviceGrid(ratio).toDevice(area);
        const QRect place(d.left, d.top, d.width(), d.height());
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                ASSERT_EQ(img.pixel(x, y),
                          place.contains(x, y) ? original.pixel(x, y) : outside.pixel(x, y))
                    << x << "," << y;
    }
}

TEST(RowRuns, KeepsNothingItCouldNotPutBackWhole) {
    QImage img = imageAt({40, 30}, 2.0, Qt::white, QImage::Format_RGB32);
    Canvas c(img);
    EXPECT_TRUE(RowRuns(c, Rect{30, 20, 50, 35}).empty()); // off the image
    EXPECT_TRUE(RowRuns(c, Rect{5, 5, 5, 9}).empty());     // no width
    QImage sixteen(10, 10, QImage::Format_RGB16);
    sixteen.fill(0);
    EXPECT_TRUE(RowRuns(Canvas(sixteen), Rect{0, 0, 5, 5}).empty());
    // Onto an image of another ratio, which maps the area elsewhere, nothing is written.
    const RowRuns kept(c, Rect{0, 0, 20, 15});
    QImage one = imageAt({40, 30}, 1.0, Qt::black, QImage::Format_RGB32);
    {
        Canvas other(one);
        kept.put(other);
    }
    EXPECT_EQ(one.pixel(5, 5), qRgb(0, 0, 0));
}

} // namespace
} // namespace kv
