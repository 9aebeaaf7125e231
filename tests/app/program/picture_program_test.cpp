// Pictures of the window as the program writes them with --snapshot: a histogram of
// readings the test knows, SVG and PDF drawings, a PNG at twice the pixels, and a picture
// that cannot be written. CTest names the program in $KV27500.
#include "tests/support/program_run.h"
#include "tests/support/ratio_pictures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <vector>

namespace {

// The histogram's bar colour.
bool isBar(QRgb p) {
    return qRed(p) == 70 && qGreen(p) == 130 && qBlue(p) == 180;
}
// The mean's line: a strong red.
bool isMeanRed(QRgb p) {
    return qRed(p) > 150 && qGreen(p) < 60 && qBlue(p) < 60;
}

class Pictures : public ::testing::Test {
protected:
    Pictures() {
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
            env.remove(v);
        QDir(dir.path()).mkpath("tmp");
        env.insert("TMPDIR", dir.filePath("tmp"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("LANGUAGE", "en");
    }

    // The exit status (-1 for a crash or a hang); stderr lands in err.
    int run(const QStringList& args) { return kv::test::runProgram(program, env, args, err); }
    // A script of V-DC readings in mV on the range of three decimals, each value as often
    // as given, in a shuffled order, and `overloads` OL replies among them.
    QString script(const std::map<int, int>& millivolts, int overloads = 0) {
        std::vector<int> order;
        for (const auto& [mv, n] : millivolts)
            order.insert(order.end(), std::size_t(n), mv);
        // A fixed shuffle: the order of the readings is no help to the bins.
        std::vector<int> shuffled = order;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(27500));
        QString text;
        for (std::size_t i = 0; i < shuffled.size(); ++i) {
            text += QString("240 136 %1\n").arg(shuffled[i], 5, 10, QChar('0'));
            if (int(i) < overloads)
                text += "240 136 0?000\n";
        }
        const QString path = dir.filePath("known.sim");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        readingsInScript = int(shuffled.size()) + overloads;
        return path;
    }
    static QString fileText(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // What lies in the test's folder and in `plain` beside the program's own settings and
    // temporary folders.
    QStringList entries() const {
        QStringList all =
            QDir(dir.path())
                .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        all.removeAll("config");
        all.removeAll("tmp");
        return all;
    }

    const QString program = qEnvironmentVariable("KV27500");
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString err;
    int readingsInScript = 0;
};

// The bars of a picture's histogram, left to right: their left column and their height,
// measured in the column in the middle of each (the mean's line may cross a bar).
struct Bar {
    int left = 0, right = 0, height = 0;
};
std::vector<Bar> barsIn(const QImage& img) {
    auto count = [&img](int x, bool (*is)(QRgb)) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            n += is(img.pixel(x, y)) ? 1 : 0;
        return n;
    };
    std::vector<Bar> bars;
    bool inside = false;
    for (int x = 0; x < img.width(); ++x) {
        // The mean's line may cut a bar in two: a red column between bar columns is bar.
        const bool bar = count(x, isBar) > 0 || (inside && count(x, isMeanRed) > 0 &&
                                                 x + 1 < img.width() && count(x + 1, isBar) > 0);
        if (bar && !inside)
            bars.push_back({x, x, 0});
        if (bar)
            bars.back().right = x;
        inside = bar;
    }
    for (Bar& b : bars) {
        const int mid = (b.left + b.right) / 2;
        b.height = std::max(count(mid, isBar), count(mid + 1, isBar));
    }
    return bars;
}

TEST_F(Pictures, AHistogramOfKnownReadingsHasItsBarsInOrderAndItsMeanWhereItIs) {
    // 1,000 V once, 1,001 V twice, ... 1,005 V six times, and two overloads.
    const std::map<int, int> counts{{1000, 1}, {1001, 2}, {1002, 3},
                                    {1003, 4}, {1004, 5}, {1005, 6}};
    const QString sim = script(counts, 2);
    const QString picture = dir.filePath("h.png");
    ASSERT_EQ(run({"--simulate", sim, "--histogram", "--snapshot", picture, "--readings",
                   QString::number(readingsInScript)}),
              0)
        << err.toStdString();
    const QImage img = QImage(picture).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(img.isNull());
    const std::vector<Bar> bars = barsIn(img);
    ASSERT_EQ(bars.size(), counts.size());
    // One bar for each millivolt, heights in proportion to the counts, evenly spaced.
    const int tallest = bars.back().height;
    ASSERT_GT(tallest, 60);
    int k = 0;
    for (const auto& [mv, n] : counts) {
        EXPECT_NEAR(bars[std::size_t(k)].height, tallest * n / 6.0, 1.5) << mv << " mV";
        ++k;
    }
    const double pitch = double(bars.back().left - bars.front().left) / (bars.size() - 1);
    for (std::size_t i = 1; i < bars.size(); ++i)
        EXPECT_NEAR(bars[i].left - bars[i - 1].left, pitch, 1.0);

    // The mean: 1,000 V plus (1*0 + 2*1 + ... + 6*5) / 21 mV, where a bar's left edge
    // stands for its value.
    double sum = 0, n = 0;
    for (const auto& [mv, c] : counts) {
        sum += double(mv - 1000) * c;
        n += c;
    }
    const double meanX = bars.front().left + sum / n * pitch;
    int redColumn = -1, reddest = 0;
    for (int x = bars.front().left - 10; x < bars.back().right + 10; ++x) {
        int red = 0;
        for (int y = 0; y < img.height(); ++y)
            red += isMeanRed(img.pixel(x, y)) ? 1 : 0;
        if (red > reddest) {
            reddest = red;
            redColumn = x;
        }
    }
    ASSERT_GE(reddest, tallest) << "the mean's line runs through the plot";
    EXPECT_NEAR(redColumn, meanX, 1.5);
}

// What an SVG drawing holds: its extent, its texts, its strokes by their number of points
// (the trend is the longest) and its embedded pictures.
struct SvgContents {
    QString viewBox;
    QStringList texts;
    std::vector<int> strokePoints; // longest first
    int images = 0;
    int largestImageHeight = 0;
    QString error;
};
SvgContents readSvg(const QString& file) {
    SvgContents c;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        c.error = "cannot open";
        return c;
    }
    QXmlStreamReader xml(&f);
    const QRegularExpression number("-?[0-9.]+");
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("svg")) {
            c.viewBox = a.value("viewBox").toString();
        } else if (xml.name() == QLatin1String("text")) {
            c.texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
        } else if (xml.name() == QLatin1String("polyline") || xml.name() == QLatin1String("path")) {
            std::vector<double> v;
            const QString points =
                a.value(xml.name() == QLatin1String("path") ? "d" : "points").toString();
            for (auto m = number.globalMatch(points); m.hasNext();)
                v.push_back(m.next().captured().toDouble());
            c.strokePoints.push_back(int(v.size() / 2));
        } else if (xml.name() == QLatin1String("image")) {
            ++c.images;
            c.largestImageHeight =
                std::max(c.largestImageHeight, int(a.value("height").toDouble()));
        }
    }
    if (xml.hasError())
        c.error = xml.errorString();
    std::sort(c.strokePoints.rbegin(), c.strokePoints.rend());
    return c;
}

TEST_F(Pictures, AnSvgOfTheWindowHoldsItsTextAsTextAndTheTrendAsOnePath) {
    // Readings that rise by 7 mV each: every one a point of the trend's line.
    auto rising = [this](int n) {
        std::map<int, int> values;
        for (int i = 0; i < n; ++i)
            values[1000 + 7 * i] = 1;
        return values;
    };
    SvgContents svg[2];
    for (int k = 0; k < 2; ++k) {
        // In order, not shuffled: written by hand.
        const QString sim = dir.filePath(QString("rising%1.sim").arg(k));
        QFile f(sim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (const auto& [mv, n] : rising(10 + 10 * k))
            f.write(QString("240 136 %1\n").arg(mv, 5, 10, QChar('0')).toUtf8());
        f.close();
        const QString file = dir.filePath(QString("w%1.svg").arg(k));
        ASSERT_EQ(run({"--simulate", sim, "--snapshot", file, "--readings",
                       QString::number(10 + 10 * k)}),
                  0)
            << err.toStdString();
        svg[k] = readSvg(file);
        ASSERT_TRUE(svg[k].error.isEmpty()) << svg[k].error.toStdString();
    }
    EXPECT_EQ(svg[0].viewBox, "0 0 471 648");
    // The indicator's digits of the last reading, the buttons' and the axes' words: text,
    // not pixels.
    const QString all = svg[1].texts.join(' ');
    EXPECT_TRUE(all.contains("01,133") || all.contains("01.133")) << all.toStdString();
    EXPECT_TRUE(all.contains("Start") && all.contains("Exit")) << all.toStdString();
    EXPECT_TRUE(all.contains("V-DC")) << all.toStdString();
    // The trend is one path, whose points are the readings: ten readings more, ten points
    // more, and no other stroke anywhere near as long.
    ASSERT_GE(svg[0].strokePoints.size(), 2u);
    ASSERT_GE(svg[1].strokePoints.size(), 2u);
    EXPECT_GE(svg[0].strokePoints[0], 10);
    EXPECT_EQ(svg[1].strokePoints[0] - svg[0].strokePoints[0], 10);
    EXPECT_LT(svg[1].strokePoints[1], 10);
    // No picture of the window pasted in: the few pictures are ramps and button faces, none
    // as high as the chart.
    EXPECT_LT(svg[1].images, 10);
    EXPECT_LT(svg[1].largestImageHeight, 250);
}

TEST_F(Pictures, APdfOfTheWindowIsOnePageWhoseTextIsReadBack) {
    if (QProcess::execute("sh", {"-c", "command -v pdftotext pdfinfo >/dev/null"}) != 0)
        GTEST_SKIP() << "pdftotext or pdfinfo is missing (scripts/setup installs them)";
    const QString sim = script({{1234, 5}});
    const QString pdf = dir.filePath("w.pdf");
    ASSERT_EQ(run({"--simulate", sim, "--snapshot", pdf, "--readings",
                   QString::number(readingsInScript)}),
              0)
        << err.toStdString();
    const QByteArray bytes = [&] {
        QFile f(pdf);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_TRUE(bytes.startsWith("%PDF-"));
    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString about = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(about.contains(QRegularExpression("Pages:\\s+1\n"))) << about.toStdString();
    // The window's 471 x 648 pixels at 96 dpi: 353.25 x 486 points.
    EXPECT_TRUE(about.contains(QRegularExpression("Page size:\\s+353(\\.\\d+)? x 486")))
        << about.toStdString();
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString read = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(read.contains("01,234") || read.contains("01.234")) << read.toStdString();
    EXPECT_TRUE(read.contains("COMPORT") && read.contains("Stop")) << read.toStdString();
}

TEST_F(Pictures, APngAtTwiceThePixelsIsTheSamePictureDrawnSharp) {
    const QString sim = script({{1200, 3}, {1234, 4}, {1250, 3}});
    const QString one = dir.filePath("w.png"), two = dir.filePath("w@2x.png");
    for (const QString& file : {one, two})
        ASSERT_EQ(run({"--simulate", sim, "--snapshot", file, "--readings",
                       QString::number(readingsInScript)}),
                  0)
            << err.toStdString();
    const QImage small(one), large(two);
    ASSERT_EQ(small.size(), QSize(471, 648));
    ASSERT_EQ(large.size(), QSize(942, 1296));
    // Drawn anew at the finer grid: edges and text fall inside 2 x 2 blocks, as no enlarged
    // copy has them ...
    EXPECT_GT(kv::test::unevenBlocks(large, 2), 2000);
    // ... and it is the same picture: brought down, it matches the one of a pixel each but
    // for the odd edge.
    EXPECT_LT(kv::test::differingFromOneToOne(small, large), 471 * 648 / 50);
}

TEST_F(Pictures, APictureThatCannotBeWrittenGivesTheReasonAndLeavesNothing) {
    const QString sim = script({{1234, 2}});
    // A folder where the picture would go, and a file standing where a folder should be.
    QDir(dir.path()).mkdir("taken.svg");
    QFile blocker(dir.filePath("plain"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QStringList before = entries();
    for (const QString& target :
         {dir.filePath("taken.svg"), dir.filePath("plain/w.pdf"), dir.filePath("plain/w.png")}) {
        EXPECT_EQ(run({"--simulate", sim, "--snapshot", target, "--readings",
                       QString::number(readingsInScript)}),
                  1)
            << target.toStdString();
        EXPECT_TRUE(err.contains("cannot write " + target)) << err.toStdString();
        EXPECT_EQ(entries(), before) << "something was left behind";
        EXPECT_TRUE(QDir(dir.filePath("taken.svg")).isEmpty());
    }
}

} // namespace
