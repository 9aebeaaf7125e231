// The page in a real headless Chromium, against the program on the simulated meter: what
// it shows after each reading, set against the log the same run writes.
#include "tests/app/web/browser.h"

namespace {

using namespace kv::test;

// What the page of the first channel shows now.
struct Shown {
    QString digits, unit, notes, classes;
    int points = -1;
};

Shown shown(Browser& b) {
    const QString json =
        b.evaluate("(() => { const d = document.getElementById('digits-0');"
                   " if (!d) return '{}';"
                   " return JSON.stringify({d: d.textContent,"
                   " u: document.getElementById('unit-0').textContent,"
                   " n: document.getElementById('notes-0').innerText,"
                   " c: document.getElementById('channel-0').className,"
                   " p: Number(document.getElementById('trend-0').dataset.points)}); })()");
    const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
    return {o.value("d").toString(), o.value("u").toString(), o.value("n").toString(),
            o.value("c").toString(), o.value("p").toInt(-1)};
}

TEST_F(ServedProgram, ThePageShowsTheWindowsDigitsTheTrendAndTheSilence) {
    if (Browser::program().isEmpty())
        GTEST_SKIP() << "no chromium here";
    // Zero while the browser starts (20 s), then five readings, each for 30 polls, then the
    // meter falls silent.
    QByteArray script;
    for (int i = 0; i < 200; ++i)
        script += "240 136 00000\n";
    for (const char* digits : {"01234", "02000", "0?000", "00500", "12345"})
        for (int i = 0; i < 30; ++i)
            script += QByteArray("240 136 ") + digits + "\n";
    const QString log = dir.filePath("log.csv");
    const int port =
        serve({"--simulate", write("s.sim", script), "--autostart", "--log", log, "--http", "0"});
    ASSERT_NE(port, 0) << err().toStdString();
    Browser browser(QString("http://127.0.0.1:%1/").arg(port), dir.filePath("profile"));
    ASSERT_TRUE(browser.ready());

    // Each change of the digits as the page showed it, with the trend's points then.
    std::vector<Shown> seen;
    Shown now;
    const qint64 end = nowMs() + 60000;
    while (nowMs() < end) {
        now = shown(browser);
        if (!now.digits.isEmpty() && (seen.empty() || seen.back().digits != now.digits))
            seen.push_back(now);
        if (now.notes.startsWith("No reply from the meter since"))
            break;
        QThread::msleep(100);
    }
    // The window's field: the meter's picture for the range, 00.000, or OL.
    const QStringList expected = {"01.234", "02.000", "OL", "00.500", "12.345"};
    QStringList digits;
    for (const Shown& s : seen)
        digits << s.digits;
    // The zero before them.
    ASSERT_FALSE(digits.isEmpty());
    EXPECT_EQ(digits.front(), "00.000");
    digits.removeFirst();
    EXPECT_EQ(digits, expected);
    for (const Shown& s : seen)
        if (s.digits != "00.000") {
            EXPECT_EQ(s.unit, "V-DC");
            EXPECT_EQ(s.classes.contains("overload"), s.digits == "OL") << s.classes.toStdString();
        }

    // The log has the same readings in the same order: its values are the digits.
    QStringList logged;
    for (const QString& row : logRows(log)) {
        const QStringList c = row.split(',');
        const QString v = c[4] == "overload" ? "OL" : c[4] == "gap" ? QString() : c[2];
        if (!v.isEmpty() && v != "0" && (logged.isEmpty() || logged.back() != v))
            logged << v;
    }
    ASSERT_EQ(logged.size(), expected.size()) << logged.join(' ').toStdString();
    for (int i = 0; i < expected.size(); ++i)
        if (expected[i] == "OL")
            EXPECT_EQ(logged[i], "OL");
        else
            EXPECT_EQ(logged[i].toDouble(), expected[i].toDouble()) << i;

    // The trend gains points from reading to reading (the overload is none).
    ASSERT_EQ(seen.size() >= 5 ? 5 : 0, 5);
    const std::size_t first = seen.size() - 5;
    EXPECT_LT(seen[first].points, seen[first + 1].points);
    EXPECT_LE(seen[first + 1].points, seen[first + 3].points);
    EXPECT_LT(seen[first + 3].points, seen[first + 4].points);
    EXPECT_GE(now.points, 200);
    EXPECT_TRUE(now.notes.startsWith("No reply from the meter since")) << now.notes.toStdString();
    EXPECT_EQ(now.digits, "12.345");
}

TEST_F(ServedProgram, ThePageSpeaksTheBrowsersLanguage) {
    if (Browser::program().isEmpty())
        GTEST_SKIP() << "no chromium here";
    const int port =
        serve({"--simulate", write("s.sim", rampScript(600)), "--autostart", "--http", "0"});
    ASSERT_NE(port, 0) << err().toStdString();
    const QString url = QString("http://127.0.0.1:%1/").arg(port);
    Browser german(url, dir.filePath("de"), "de");
    ASSERT_TRUE(german.ready());
    QString title;
    waitFor([&] {
        title = german.evaluate("document.getElementById('title').textContent");
        return title != "KV27500";
    });
    EXPECT_EQ(title, "KV27500-Messgerät");
    EXPECT_EQ(german.evaluate("document.documentElement.lang"), "de");
    Browser english(url, dir.filePath("en"), "en");
    ASSERT_TRUE(english.ready());
    waitFor([&] {
        title = english.evaluate("document.getElementById('title').textContent");
        return title != "KV27500";
    });
    EXPECT_EQ(title, "KV27500 meter");
}

} // namespace
