// The program's application object with its one error handler: an exception thrown in an
// event handler is reported there and the program goes on. Runs in an executable of its
// own, since only one application object may exist and this one must be the real one.
#include "app/application.h"
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "support/test_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace kv {
namespace {

const QEvent::Type kFail = static_cast<QEvent::Type>(QEvent::User + 1);
const QEvent::Type kFailOddly = static_cast<QEvent::Type>(QEvent::User + 2);
const QEvent::Type kCount = static_cast<QEvent::Type>(QEvent::User + 3);

// Throws from its event handler on request and counts the events it handles normally.
class Thrower : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == kFail)
            throw std::runtime_error("Handler kaputt");
        if (e->type() == kFailOddly)
            throw 42;
        if (e->type() == kCount) {
            ++handled;
            return true;
        }
        return QObject::event(e);
    }
    int handled = 0;
};

// A widget whose paint fails while `fail` is set, after its painter has begun.
class FailingPaint : public QWidget {
public:
    FailingPaint() { resize(40, 30); }
    bool fail = false;
    int painted = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::red);
        if (fail)
            throw std::runtime_error("Zeichnen fehlgeschlagen");
        p.fillRect(rect(), Qt::blue);
        ++painted;
    }
};

class ApplicationNotify : public ::testing::Test {
protected:
    ApplicationNotify() { ErrorReporter::setInstance(&reporter); }
    ~ApplicationNotify() override { ErrorReporter::setInstance(nullptr); }

    std::vector<QString> boxes;
    ErrorReporter reporter{[this](const QString&, const QString& text) { boxes.push_back(text); }};
};

TEST_F(ApplicationNotify, AnExceptionInAnEventHandlerReachesTheOneHandlerAndTheLoopGoesOn) {
    Thrower t;
    QCoreApplication::postEvent(&t, new QEvent(kFail));
    QCoreApplication::postEvent(&t, new QEvent(kCount));
    QCoreApplication::postEvent(&t, new QEvent(kFailOddly));
    QCoreApplication::postEvent(&t, new QEvent(kCount));
    // Run the real loop: the events above, then quit from a later turn of it.
    QTimer::singleShot(50, qApp, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 7);

    EXPECT_EQ(t.handled, 2) << "the events after each failure are still delivered";
    ASSERT_EQ(boxes.size(), 1u) << "the second failure came while the first box was pending";
    EXPECT_EQ(boxes[0], "Handler kaputt.");
    EXPECT_EQ(reporter.dropped(), 1);

    // Once the box is closed, the next failure gets its own box, also one of no known type.
    QCoreApplication::postEvent(&t, new QEvent(kFailOddly));
    QTimer::singleShot(50, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_FALSE(boxes[1].isEmpty());
}

TEST_F(ApplicationNotify, AFailedPaintIsReportedAndTheNextPaintWorks) {
    FailingPaint w;
    w.show();
    QCoreApplication::processEvents(); // exposed, painted once
    ASSERT_EQ(w.painted, 1);
    w.fail = true;
    w.repaint();
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Zeichnen fehlgeschlagen.");

    w.fail = false;
    w.repaint();
    EXPECT_EQ(w.painted, 2);
    const QImage shot = w.grab().toImage();
    EXPECT_EQ(shot.pixelColor(20, 15), QColor(Qt::blue)) << "no painter was left behind";
    EXPECT_EQ(w.painted, 3);
}

TEST_F(ApplicationNotify, WithoutAHandlerInstalledAnExceptionIsStillStoppedAtTheLoop) {
    ErrorReporter::setInstance(nullptr);
    Thrower t;
    QCoreApplication::postEvent(&t, new QEvent(kFail));
    QCoreApplication::postEvent(&t, new QEvent(kCount));
    QCoreApplication::processEvents();
    EXPECT_EQ(t.handled, 1);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ApplicationNotify, ClosingTheWindowFromOutsideEndsTheLoopWithoutClosingThePort) {
    MemoryMeter link;
    link.replies.push_back(meterReply(240, 136, "01234"));
    int exits = 0;
    {
        test::TestWindow window(link, {}, reporter);
        window.session().poller().setWaitMs(0);
        QObject::connect(&window, &kv::MainWindow::exitRequested, [&] { ++exits; });
        window.show();
        window.openClick();
        ASSERT_TRUE(window.session().poller().isActive());
        // What a window manager's close button ends in; a safety exit stops a hung loop.
        QTimer::singleShot(100, &window, [&window] { window.windowHandle()->close(); });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });
        EXPECT_EQ(QCoreApplication::exec(), 0) << "the loop ended with the last window";
        EXPECT_GT(window.readings(), 0) << "it polled until the window went";
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(link.count("close"), 0);
    EXPECT_EQ(exits, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.empty());
}

} // namespace
} // namespace kv

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    kv::Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
