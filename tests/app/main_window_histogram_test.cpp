// The chart's histogram in the real window, seen on its screen and driven by its keys and
// the mouse, and the chart's picture saved alone; the readings come from the session as
// from a meter.
#include "app/chart_actions.h"
#include "app/main_window.h"
#include "chart/trend_chart.h"
#include "support/dialog_answer.h"
#include "support/ratio_pictures.h"
#include "support/screen.h"
#include "support/test_window.h"
#include "watch/limit_watch.h"
#include "window_on_memory_meter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <map>
#include <vector>

namespace kv {
namespace {

bool isBar(QRgb p) {
    return qRed(p) == 70 && qGreen(p) == 130 && qBlue(p) == 180;
}
bool isMeanRed(QRgb p) {
    return qRed(p) > 150 && qGreen(p) < 60 && qBlue(p) < 60;
}

class HistogramInWindow : public test::WindowOnMemoryMeter {
protected:
    HistogramInWindow() { startOnScreen(); }
    TrendChart& chart() { return *window->chart1(); }

    void reading(int millivolts) {
        Reading r;
        r.value = float(millivolts / 1000.0);
        r.unit = "V-DC";
        r.format = "00.000";
        r.function = 240; // V-DC on the range of three decimals
        r.range = 136;
        r.time = t0 + 100 * sent++;
        emit window->session().reading(r);
    }
    void overload() {
        Reading r;
        r.status = Reading::Status::overload;
        r.unit = "V-DC";
        r.format = "00.000";
        r.function = 240;
        r.range = 136;
        r.time = t0 + 100 * sent++;
        emit window->session().reading(r);
    }
    void press(QKeyCombination key) {
        QTest::keyClick(window.get(), key.key(), key.keyboardModifiers());
    }
    QImage shot() {
        QApplication::processEvents();
        return test::onScreen(chart());
    }
    QAction* action(const QString& text) {
        for (QAction* a : window->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    // The heights of the bars in a picture, left to right, each measured in its middle
    // column.
    static std::vector<int> bars(const QImage& img) {
        auto count = [&img](int x, bool (*is)(QRgb)) {
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                n += is(img.pixel(x, y)) ? 1 : 0;
            return n;
        };
        std::vector<std::pair<int, int>> runs;
        bool inside = false;
        for (int x = 0; x < img.width(); ++x) {
            // The mean's line may cut a bar in two: a red column between bar columns is bar.
            const bool bar =
                count(x, isBar) > 0 || (inside && count(x, isMeanRed) > 0 && x + 1 < img.width() &&
                                        count(x + 1, isBar) > 0);
            if (bar && !inside)
                runs.push_back({x, x});
            if (bar)
                runs.back().second = x;
            inside = bar;
        }
        std::vector<int> heights;
        for (const auto& [from, to] : runs) {
            const int mid = (from + to) / 2;
            heights.push_back(std::max(count(mid, isBar), count(mid + 1, isBar)));
        }
        return heights;
    }
    // Whether the heights stand in the proportions of `counts`, the tallest for the most.
    static void expectProportions(const std::vector<int>& heights, const std::vector<int>& counts) {
        ASSERT_EQ(heights.size(), counts.size());
        const int most = *std::max_element(counts.begin(), counts.end());
        const int tallest = *std::max_element(heights.begin(), heights.end());
        for (std::size_t i = 0; i < counts.size(); ++i)
            EXPECT_NEAR(heights[i], double(tallest) * counts[i] / most, 1.5) << "bar " << i;
    }

    const std::int64_t t0 = 1796734987125;
    int sent = 0;
};

TEST_F(HistogramInWindow, CtrlGShowsTheReadingsAsBarsAndAgainGivesTheTrendBackAsItWas) {
    for (int mv : {1000, 1002, 1001, 1002, 1003, 1002, 1001, 1003, 1002})
        reading(mv);
    overload();
    const QImage trend = shot();
    EXPECT_TRUE(bars(trend).empty());
    QAction* entry = action("Histogram");
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->isChecked());

    press(Qt::CTRL | Qt::Key_G);
    EXPECT_TRUE(entry->isChecked());
    expectProportions(bars(shot()), {1, 2, 4, 2});
    const std::string note = chart().histogramNote();
    EXPECT_NE(note.find("n = 9"), std::string::npos) << note;
    EXPECT_NE(note.find("left out: 1 overload"), std::string::npos) << note;
    EXPECT_EQ(note.find("gap"), std::string::npos) << "none to tell: " << note;

    // The mouse over the tallest bar: its range and its count.
    const QImage hist = shot();
    int x = 0, tallest = 0;
    for (int c = 0; c < hist.width(); ++c) {
        int h = 0;
        for (int y = 0; y < hist.height(); ++y)
            h += isBar(hist.pixel(c, y)) ? 1 : 0;
        if (h > tallest) {
            tallest = h;
            x = c;
        }
    }
    QTest::mouseMove(&chart(), QPoint(x, chart().height() / 2));
    EXPECT_EQ(chart().readoutText(), "01,002 to 01,003 V-DC: 4 readings");
    EXPECT_TRUE(chart().readoutShown());

    entry->trigger(); // the menu's entry, as Ctrl+G
    EXPECT_FALSE(chart().histogram().shown());
    QTest::mouseMove(window.get(), QPoint(1, 1));
    EXPECT_EQ(test::differingPixels(shot(), trend, 0), 0) << "the trend is as it was";
}

TEST_F(HistogramInWindow, BetweenBothMarkersOnlyTheirStretchIsCounted) {
    for (int i = 0; i < 10; ++i)
        reading(1000);
    for (int mv : {1005, 1006, 1006, 1005, 1006, 1006, 1006, 1005, 1006, 1005})
        reading(mv);
    press(Qt::CTRL | Qt::Key_G);
    expectProportions(bars(shot()), {10, 4, 6});
    chart().setMarker(10);
    // One marker is no stretch.
    expectProportions(bars(shot()), {10, 4, 6});
    chart().setMarker(19);
    expectProportions(bars(shot()), {4, 6});
    chart().clearMarkers();
    expectProportions(bars(shot()), {10, 4, 6});
}

TEST_F(HistogramInWindow, NewReadingsAreCountedSoonAfterTheyCome) {
    reading(1000);
    reading(1001);
    press(Qt::CTRL | Qt::Key_G);
    expectProportions(bars(shot()), {1, 1});
    for (int i = 0; i < 5; ++i)
        reading(1001);
    reading(1004);
    QTest::qWait(HistogramModel::kRefreshMs * 2);
    expectProportions(bars(shot()), {1, 6, 1});
}

TEST_F(HistogramInWindow, ReadingsComingTenTimesASecondAreDrawnAFewTimesASecond) {
    reading(1000);
    press(Qt::CTRL | Qt::Key_G);
    shot();
    int passes = 0;
    chart().onAfterDraw = [&passes](AxisPanel&) { ++passes; };
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 20; ++i) {
        reading(1001 + i % 3);
        QTest::qWait(50);
    }
    QTest::qWait(HistogramModel::kRefreshMs * 2);
    const double seconds = clock.elapsed() / 1000.0;
    chart().onAfterDraw = nullptr;
    EXPECT_GE(passes, 2);
    EXPECT_LE(passes, 2 + seconds * 1000 / HistogramModel::kRefreshMs) << seconds << " s";
    // The last picture has them all.
    expectProportions(bars(shot()), {1, 7, 7, 6});
}

TEST_F(HistogramInWindow, TheLimitsBandStandsBehindTheBarsOfTheirUnit) {
    for (int mv : {1000, 1001, 1002, 1003, 1004, 1005})
        reading(mv);
    press(Qt::CTRL | Qt::Key_G);
    auto band = [this] {
        const QImage img = shot();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += img.pixel(x, y) == qRgb(214, 240, 214) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(band(), 0);
    Limits limits;
    limits.lower = 1.001f;
    limits.upper = 1.004f;
    limits.unit = "V-DC";
    window->channel.bench().setLimits(limits);
    EXPECT_GT(band(), 100);
    limits.unit = "A-DC";
    window->channel.bench().setLimits(limits);
    EXPECT_EQ(band(), 0) << "limits of another unit";
}

TEST_F(HistogramInWindow, SaveChartWritesTheChartAloneAtTheChosenSizeAsShown) {
    for (int mv : {1000, 1001, 1001, 1002})
        reading(mv);
    press(Qt::CTRL | Qt::Key_G);
    QTemporaryDir dir;
    ChartActions& actions = window->chartActions();
    const QString png = dir.filePath("chart.png"), big = dir.filePath("chart@2x.png");
    ASSERT_EQ(actions.saveChart(png, ChartActions::kChartPictureSize), QString());
    ASSERT_EQ(actions.saveChart(big, QSize(600, 300)), QString());
    const QImage one(png), two(big);
    EXPECT_EQ(one.size(), QSize(1200, 600));
    EXPECT_EQ(two.size(), QSize(1200, 600)) << "600 x 300 at twice the pixels";
    expectProportions(bars(one), {1, 2, 1});
    expectProportions(bars(two), {1, 2, 1});

    // The menu's entry asks for the file and the size.
    actions.askFile = [&dir](const QString&, const QString&) { return dir.filePath("c.svg"); };
    actions.askSize = [](QSize proposed) -> std::optional<QSize> {
        EXPECT_EQ(proposed, QSize(1200, 600));
        return QSize(800, 400);
    };
    QAction* entry = action("Save chart...");
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    QFile svg(dir.filePath("c.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    EXPECT_TRUE(text.contains("viewBox=\"0 0 800 400\"")) << text.left(600).toStdString();
    EXPECT_TRUE(text.contains("V-DC"));
    EXPECT_TRUE(boxes.empty());

    // A size no picture has: the reason, and nothing written.
    actions.askFile = [&dir](const QString&, const QString&) { return dir.filePath("d.png"); };
    actions.askSize = [](QSize) -> std::optional<QSize> { return QSize(0, 400); };
    entry->trigger();
    QApplication::processEvents(); // the box is shown from the event loop
    EXPECT_FALSE(QFile::exists(dir.filePath("d.png")));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes.front().contains("1 to 4096 pixels")) << boxes.front().toStdString();
}

TEST_F(HistogramInWindow, ANameTypedWithoutSuffixIsSavedAsTheKindChosenInTheDialog) {
    for (int mv : {1000, 1001, 1001})
        reading(mv);
    QTemporaryDir dir;
    ChartActions& actions = window->chartActions();
    actions.askSize = [](QSize proposed) -> std::optional<QSize> { return proposed; };
    QAction* entry = action("Save chart...");
    ASSERT_NE(entry, nullptr);
    // The desktop's own dialog: the SVG filter chosen and "report" typed.
    const auto save = [&](const QString& filter, const QString& name) {
        return test::answerDialog([&] { entry->trigger(); },
                                  [&](QDialog& d) {
                                      auto* files = qobject_cast<QFileDialog*>(&d);
                                      ASSERT_NE(files, nullptr);
                                      // Chosen from the list by keys, as a user does.
                                      auto* kinds = files->findChild<QComboBox*>("fileTypeCombo");
                                      ASSERT_NE(kinds, nullptr);
                                      for (int k = 0; k < 3 && kinds->currentText() != filter; ++k)
                                          QTest::keyClick(kinds, Qt::Key_Down);
                                      ASSERT_EQ(kinds->currentText(), filter);
                                      files->selectFile(dir.filePath(name));
                                      d.accept(); // as the Save button does
                                  });
    };
    save("SVG drawings (*.svg)", "report");
    QFile svg(dir.filePath("report.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly)) << "no report.svg";
    EXPECT_TRUE(svg.read(400).contains("<svg"));
    EXPECT_FALSE(QFile::exists(dir.filePath("report")));
    // A name with its own suffix keeps it.
    save("PDF documents (*.pdf)", "chart.png");
    EXPECT_FALSE(QImage(dir.filePath("chart.png")).isNull());
    EXPECT_FALSE(QFile::exists(dir.filePath("chart.png.pdf")));
}

} // namespace
} // namespace kv
