#include "canvas/face_widget.h"
#include "support/paint_log.h"
#include "support/ratio_pictures.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace kv {
namespace {

// A control whose face is one red square; its paint can be made to fail or held back.
class SquareFace : public FaceWidget {
public:
    explicit SquareFace(FaceKind kind, QWidget* parent = nullptr, bool followsPalette = false,
                        FaceResolution resolution = FaceResolution::Logical)
        : FaceWidget(parent, kind, followsPalette, resolution) {
        resize(20, 20);
    }

    Rect square{0, 0, 10, 10};
    Rect given; // the rectangle the last full paint was asked to cover
    bool failing = false;
    bool allowed = true;
    int paints = 0;

    // What a setter does.
    void moveSquare(const Rect& r) {
        square = r;
        invalidate();
    }
    // What a fast path does: draw on the face, then show that part.
    void fastFill(const Rect& r) {
        {
            Canvas c(faceImage());
            c.fillRect(r, clBlue);
        }
        showFace(r);
    }
    // A fast path that leaves a hole through to the parent.
    void fastClear(const Rect& r) {
        {
            QPainter p(&faceImage());
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(QRect(r.left, r.top, r.width(), r.height()), Qt::transparent);
        }
        showFace(r);
    }

protected:
    void paintFace(Canvas& canvas, const Rect& rect) override {
        if (failing)
            throw std::runtime_error("refused");
        canvas.fillRect(square, clRed);
        // A slant, which a face of the device's resolution draws smoothed.
        canvas.setPenColor(clBlack);
        canvas.line(0, 19, 19, 0);
        given = rect;
        ++paints;
    }
    bool paintAllowed() const override { return allowed; }
};

void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

TEST(FaceClear, TransparentFaceIsClearedBeforeEveryFullPaint) {
    SquareFace f(FaceKind::Transparent);
    f.renderFace();
    EXPECT_EQ(f.face().pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(f.face().pixelColor(15, 15).alpha(), 0);
    f.moveSquare(Rect{10, 10, 20, 20});
    f.renderFace();
    EXPECT_EQ(f.face().pixelColor(2, 2).alpha(), 0); // the old square left no trace
    EXPECT_EQ(f.face().pixelColor(15, 15), QColor(Qt::red));
}

TEST(FaceClear, OpaqueFaceStartsInTheParentsColourAndKeepsWhatAPaintLeaves) {
    QWidget parent;
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, Qt::yellow);
    parent.setPalette(pal);
    for (FaceKind kind : {FaceKind::Opaque, FaceKind::OpaqueRgb}) {
        SquareFace f(kind, &parent);
        f.renderFace();
        EXPECT_EQ(f.face().pixelColor(15, 15), QColor(Qt::yellow));
        f.moveSquare(Rect{10, 10, 20, 20});
        f.renderFace();
        EXPECT_EQ(f.face().pixelColor(2, 2), QColor(Qt::red));
        EXPECT_EQ(f.face().pixelColor(15, 15), QColor(Qt::red));
        EXPECT_TRUE(f.testAttribute(Qt::WA_OpaquePaintEvent));
    }
}

// A control wider than any screen keeps a face of the largest side; its paint still covers
// the whole control and the part the face holds is drawn.
TEST(FaceSize, AControlBeyondTheLargestFaceKeepsItsTopLeftPart) {
    SquareFace f(FaceKind::Opaque);
    f.resize(100000, 30);
    f.moveSquare(Rect{kMaxFaceSide - 5, 0, 100000, 30});
    f.renderFace();
    EXPECT_EQ(f.face().size(), QSize(kMaxFaceSide, 30));
    EXPECT_EQ(f.given, (Rect{0, 0, 100000, 30}));
    EXPECT_EQ(f.face().pixelColor(kMaxFaceSide - 1, 10), QColor(Qt::red));
    EXPECT_NE(f.face().pixelColor(kMaxFaceSide - 6, 10), QColor(Qt::red));
}

TEST(FacePaint, AThrowingPaintLeavesTheFaceDirtyAndTheFastPathFree) {
    SquareFace f(FaceKind::Transparent);
    f.show();
    settle();
    f.failing = true;
    f.moveSquare(Rect{5, 5, 15, 15});
    EXPECT_THROW(f.renderFace(), std::runtime_error);
    EXPECT_TRUE(f.faceDirty());

    f.failing = false;
    settle(); // the paint the setter asked for runs at last
    EXPECT_FALSE(f.faceDirty());
    EXPECT_EQ(f.face().pixelColor(12, 12), QColor(Qt::red));
    test::PaintLog paints(f);
    f.fastFill(Rect{1, 1, 4, 4});
    EXPECT_EQ(paints.rects(), std::vector<QRect>{QRect(1, 1, 3, 3)});
}

TEST(FacePaint, APaintEventHeldBackCopiesTheOldFaceUntilAllowed) {
    SquareFace f(FaceKind::Transparent);
    f.show();
    settle();
    const int before = f.paints;
    f.allowed = false;
    f.moveSquare(Rect{10, 10, 20, 20});
    settle();
    EXPECT_EQ(f.paints, before);
    EXPECT_TRUE(f.faceDirty());
    EXPECT_EQ(f.face().pixelColor(2, 2), QColor(Qt::red));

    f.allowed = true;
    f.moveSquare(Rect{10, 10, 20, 20});
    settle();
    EXPECT_EQ(f.paints, before + 1);
    EXPECT_EQ(f.face().pixelColor(15, 15), QColor(Qt::red));
}

TEST(FaceScreen, ShowFacePutsThePartOnScreenBeforeReturningUnlessAPaintIsDue) {
    SquareFace f(FaceKind::Opaque);
    f.show();
    settle();
    test::PaintLog paints(f);
    f.fastFill(Rect{2, 3, 7, 9});
    EXPECT_EQ(paints.rects(), std::vector<QRect>{QRect(2, 3, 5, 6)});
    paints.clear();
    f.moveSquare(Rect{0, 0, 5, 5});
    f.fastFill(Rect{2, 3, 7, 9}); // the pending full paint will show it
    EXPECT_EQ(paints.count(), 0);
}

TEST(FaceScreen, ManyRequestsBeforeTheEventLoopRunCostOneFullPaint) {
    SquareFace f(FaceKind::Opaque);
    f.show();
    settle();
    const int before = f.paints;
    test::PaintLog paints(f);
    for (int i = 0; i < 5; ++i)
        f.moveSquare(Rect{i, i, 10, 10});
    EXPECT_EQ(paints.count(), 0);
    settle();
    EXPECT_GT(paints.count(), 0);
    EXPECT_EQ(f.paints, before + 1);
    EXPECT_FALSE(f.faceDirty());
}

TEST(FaceScreen, OnlyARealChangeOfSizeCallsForAFullPaint) {
    SquareFace f(FaceKind::Opaque);
    f.grab();
    const int before = f.paints;
    f.grab(); // a hidden widget gets a resize event on every grab
    EXPECT_EQ(f.paints, before);
    f.resize(30, 25);
    EXPECT_EQ(f.grab().size(), QSize(30, 25));
    EXPECT_EQ(f.paints, before + 1);
    EXPECT_EQ(f.face().size(), QSize(30, 25));
}

TEST(FacePalette, OnlyAFaceThatFollowsThePaletteRepaintsWhenTheParentsColourChanges) {
    QWidget parent;
    SquareFace following(FaceKind::Opaque, &parent, true);
    SquareFace plain(FaceKind::Opaque, &parent);
    following.renderFace();
    plain.renderFace();
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, Qt::cyan);
    parent.setPalette(pal);
    EXPECT_TRUE(following.faceDirty());
    EXPECT_FALSE(plain.faceDirty());
    EXPECT_EQ(following.backgroundColor(), clAqua);
}

// A picture of the widget taken on a device of `ratio`, as a grab on such a screen takes it.
QImage pictureAt(QWidget& w, double ratio) {
    QPixmap picture(QSize(w.width(), w.height()) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::white);
    w.render(&picture);
    return picture.toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(FaceResolution, AFaceOfTheDevicesResolutionIsDrawnForTheDeviceItIsPaintedOn) {
    SquareFace f(FaceKind::Opaque, nullptr, false, FaceResolution::Device);
    const QImage one = pictureAt(f, 1.0);
    EXPECT_EQ(f.face().devicePixelRatio(), 1.0);
    const int paints = f.paints;
    const QImage two = pictureAt(f, 2.0);
    // Drawn afresh at four pixels per pixel, not the old face enlarged.
    EXPECT_EQ(f.paints, paints + 1);
    EXPECT_EQ(f.face().devicePixelRatio(), 2.0);
    EXPECT_EQ(f.face().size(), QSize(40, 40));
    EXPECT_EQ(f.given, (Rect{0, 0, 20, 20}));
    EXPECT_EQ(two.size(), QSize(40, 40));
    EXPECT_EQ(two.pixelColor(19, 5), QColor(Qt::red)); // the square's last device column
    EXPECT_NE(two.pixelColor(20, 5), QColor(Qt::red));
    EXPECT_GT(test::unevenBlocks(two, 2), 10);
    EXPECT_EQ(test::unevenBlocks(one.scaled(40, 40), 2), 0);
    // A device of 150 %: the face follows again.
    pictureAt(f, 1.5);
    EXPECT_EQ(f.face().devicePixelRatio(), 1.5);
    EXPECT_EQ(f.face().size(), QSize(30, 30));
    EXPECT_EQ(f.paints, paints + 2);
    // Another picture at the same ratio copies the face it has.
    pictureAt(f, 1.5);
    EXPECT_EQ(f.paints, paints + 2);
}

TEST(FaceResolution, AFaceOfLogicalResolutionStaysAtOnePixelPerPixel) {
    SquareFace f(FaceKind::Opaque);
    const QImage one = pictureAt(f, 1.0);
    const int paints = f.paints;
    const QImage two = pictureAt(f, 2.0);
    EXPECT_EQ(f.paints, paints);
    EXPECT_EQ(f.face().devicePixelRatio(), 1.0);
    EXPECT_EQ(f.face().size(), QSize(20, 20));
    EXPECT_EQ(two, one.scaled(40, 40));
    EXPECT_EQ(f.renderFace(2.0).devicePixelRatio(), 1.0);
}

TEST(FaceResolution, FastPathsDrawOnTheFaceAtItsRatio) {
    SquareFace f(FaceKind::Opaque, nullptr, false, FaceResolution::Device);
    f.renderFace(2.0);
    f.fastFill(Rect{12, 3, 15, 5});
    EXPECT_EQ(f.face().pixelColor(24, 6), QColor(Qt::blue));
    EXPECT_EQ(f.face().pixelColor(29, 9), QColor(Qt::blue));
    EXPECT_NE(f.face().pixelColor(30, 9), QColor(Qt::blue));
    EXPECT_NE(f.face().pixelColor(23, 6), QColor(Qt::blue));
}

// The parent, yellow, under a transparent face whose red square fills it whole.
struct YellowParent {
    QWidget parent;
    SquareFace face{FaceKind::Transparent, &parent, false, FaceResolution::Device};
    YellowParent() {
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, Qt::yellow);
        parent.setPalette(pal);
        parent.setAutoFillBackground(true);
        parent.resize(40, 40);
        face.square = Rect{0, 0, 20, 20};
        face.move(10, 10);
    }
    QColor at(int x, int y) { return parent.grab().toImage().pixelColor(x, y); }
};

TEST(FaceParent, ATransparentFaceHidesItsParentOnlyWhereItIsOpaque) {
    YellowParent w;
    w.parent.show();
    settle();
    EXPECT_EQ(w.at(12, 12), QColor(Qt::red));
    EXPECT_EQ(w.at(5, 5), QColor(Qt::yellow));
    // A hole a fast path leaves, and one a full paint leaves, show the parent.
    w.face.fastClear(Rect{1, 1, 4, 4});
    EXPECT_EQ(w.at(12, 12), QColor(Qt::yellow));
    w.face.moveSquare(Rect{0, 0, 20, 20});
    settle();
    EXPECT_EQ(w.at(12, 12), QColor(Qt::red));
    w.face.moveSquare(Rect{5, 5, 20, 20});
    settle();
    EXPECT_EQ(w.at(12, 12), QColor(Qt::yellow));
    EXPECT_EQ(w.at(17, 17), QColor(Qt::red));
    // A face drawn afresh for a picture at 300 %, where the largest face no longer reaches
    // the far end: the parent shows there, not what the picture started with.
    w.parent.resize(3020, 40);
    w.face.resize(3000, 4);
    w.face.moveSquare(Rect{0, 0, 3000, 4});
    settle();
    EXPECT_EQ(w.at(3005, 12), QColor(Qt::red));
    const QImage picture = pictureAt(w.parent, 3.0);
    EXPECT_EQ(picture.pixelColor(3 * 2700, 33), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(3 * 2900, 33), QColor(Qt::yellow));
}

TEST(FaceSize, AtHighRatiosTheLargestFaceKeepsItsMemory) {
    SquareFace f(FaceKind::Opaque, nullptr, false, FaceResolution::Device);
    f.resize(100000, 30);
    EXPECT_EQ(f.renderFace(2.0).size(), QSize(2 * kMaxFaceSide, 60));
    EXPECT_EQ(f.renderFace(4.0).size(), QSize(2 * kMaxFaceSide, 120));
    EXPECT_EQ(f.given, (Rect{0, 0, 100000, 30}));
}

} // namespace
} // namespace kv
