#include "app/error_reporter.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace kv {
namespace {

struct Box {
    QString caption, text;
};

TEST(ErrorReporterText, CaptionIsTheProgramNameWithoutFolderCutAtFirstFullStop) {
    EXPECT_EQ(ErrorReporter::titleFromProgramPath("/usr/bin/kv27500"), "kv27500");
    EXPECT_EQ(ErrorReporter::titleFromProgramPath("C:/Programme/KV27500.EXE"), "KV27500");
    EXPECT_EQ(ErrorReporter::titleFromProgramPath("./kv.build.1"), "kv");
    EXPECT_EQ(ErrorReporter::titleFromProgramPath("kv27500"), "kv27500");
}

TEST(ErrorReporterText, FullStopIsAppendedOnlyAfterCharactersSortingAfterIt) {
    struct Case {
        const char* message;
        const char* shown;
    } cases[] = {
        {"'1,2.3' ist kein gültiger Gleitkommawert", "'1,2.3' ist kein gültiger Gleitkommawert."},
        {"Format-String zu lang", "Format-String zu lang."},
        {"already ends.", "already ends."},
        {"ends with a bang!", "ends with a bang!"},    // '!' sorts before '.'
        {"ends with a dash-", "ends with a dash-"},    // '-' sorts before '.'
        {"ends with a slash/", "ends with a slash/."}, // '/' sorts after '.'
        {"value 7", "value 7."},
        {"Grüß", "Grüß."},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorReporter::boxText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown))
            << c.message;
}

class ErrorReporterTest : public ::testing::Test {
protected:
    std::vector<Box> boxes;
    std::function<void()> whileOpen;
    ErrorReporter reporter{[this](const QString& caption, const QString& text) {
        boxes.push_back({caption, text});
        if (whileOpen)
            whileOpen();
    }};
};

TEST_F(ErrorReporterTest, BoxOpensFromTheEventLoopWithCaptionAndText) {
    reporter.setCaption("kv27500");
    EXPECT_TRUE(reporter.report(QStringLiteral("Fehler")));
    EXPECT_TRUE(boxes.empty()) << "the failing handler must unwind before the box opens";
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "kv27500");
    EXPECT_EQ(boxes[0].text, "Fehler.");
    EXPECT_FALSE(reporter.busy());
}

TEST_F(ErrorReporterTest, ReportsWhileABoxIsPendingOrOpenAreDroppedNotStacked) {
    int reportedWhileOpen = 0;
    whileOpen = [&] {
        // The poll timer keeps running behind a modal box; its errors must not stack.
        for (int i = 0; i < 3; ++i)
            reportedWhileOpen += reporter.report(QStringLiteral("again")) ? 1 : 0;
        QCoreApplication::processEvents();
    };
    reporter.report(QStringLiteral("first"));
    EXPECT_FALSE(reporter.report(QStringLiteral("second")));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "first.");
    EXPECT_EQ(reportedWhileOpen, 0);
    EXPECT_EQ(reporter.dropped(), 4);

    // Once the box is closed the next error gets its own box.
    whileOpen = nullptr;
    EXPECT_TRUE(reporter.report(QStringLiteral("third")));
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "third.");
}

TEST_F(ErrorReporterTest, GuardReportsExceptionsAndLetsTheCallerGoOn) {
    EXPECT_TRUE(reporter.guard([] {}));
    EXPECT_FALSE(reporter.guard([] { throw std::runtime_error("kaputt"); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(reporter.guard([] { throw 42; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "kaputt.");
    EXPECT_FALSE(boxes[1].text.isEmpty());
}

TEST_F(ErrorReporterTest, AFailingPresenterDoesNotSilenceLaterReports) {
    whileOpen = [] { throw std::runtime_error("presenter failed"); };
    reporter.report(QStringLiteral("one"));
    QCoreApplication::processEvents();
    whileOpen = nullptr;
    EXPECT_TRUE(reporter.report(QStringLiteral("two")));
    QCoreApplication::processEvents();
    EXPECT_EQ(boxes.size(), 2u);
}

} // namespace
} // namespace kv
