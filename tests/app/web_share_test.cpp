// The window's channel served to a browser: what the page is told of the digits against what
// the window's field shows, under hold, relative, an overload and Stop; and what the footer
// says of it.
#include "app/web_share.h"
#include "gauges/value_indicator.h"
#include "meter/meter_protocol.h"
#include "window_on_memory_meter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUrl>

namespace kv {
namespace {

class Shared : public test::WindowOnMemoryMeter {
protected:
    Shared() { startShownAndActive(); }

    // The body of GET `path`, the event loop running meanwhile (the server is on it).
    static QString get(int port, const QString& path) {
        QTcpSocket s;
        s.connectToHost("127.0.0.1", static_cast<quint16>(port));
        QByteArray got;
        bool sent = false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000 && s.state() != QAbstractSocket::UnconnectedState) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (!sent && s.state() == QAbstractSocket::ConnectedState) {
                s.write("GET " + path.toUtf8() + " HTTP/1.1\r\nHost: x\r\n\r\n");
                sent = true;
            }
            got += s.readAll();
        }
        got += s.readAll();
        return QString::fromUtf8(got.mid(got.indexOf("\r\n\r\n") + 4));
    }
    // The digits the page is told, with the unit after them as the window shows it.
    static QString pageDigits(int port) {
        const QString state = get(port, "/api/state");
        const int at = state.indexOf("\"digits\":\"") + 10;
        return state.mid(at, state.indexOf('"', at) - at);
    }
};

TEST_F(Shared, ThePageIsToldTheDigitsTheWindowShows) {
    WebShare share({&static_cast<MainWindow&>(*window).channel()});
    QString error;
    ASSERT_TRUE(share.start(WebAddress(), error)) << error.toStdString();
    const int port = QUrl(share.url()).port();
    EXPECT_EQ(footer(), "In the browser: " + share.url());

    volts({"01234"});
    EXPECT_EQ(digits(), "01,234");
    EXPECT_EQ(pageDigits(port), digits());
    press(Qt::CTRL | Qt::Key_D); // relative
    volts({"01000"});
    EXPECT_EQ(digits(), "-00,234");
    EXPECT_EQ(pageDigits(port), digits());
    volts({"01534"});
    EXPECT_EQ(digits(), "+00,300");
    EXPECT_EQ(pageDigits(port), digits());
    volts({"01234"});
    EXPECT_EQ(digits(), "00,000");
    EXPECT_EQ(pageDigits(port), digits());
    press(Qt::CTRL | Qt::Key_H); // hold
    volts({"02000"});
    EXPECT_EQ(digits(), "00,000");
    EXPECT_EQ(pageDigits(port), digits());
    press(Qt::CTRL | Qt::Key_H);
    press(Qt::CTRL | Qt::Key_D);
    volts({"0?000"});
    EXPECT_EQ(digits(), "OL");
    EXPECT_EQ(pageDigits(port), "OL");
    volts({"00500"});
    EXPECT_EQ(pageDigits(port), "00,500");
    press(Qt::Key_Escape); // Stop: the digits go to 0
    EXPECT_EQ(pageDigits(port), digits());
    EXPECT_EQ(digits(), "00,000");
}

TEST_F(Shared, TheFootersTooltipCountsTheBrowsersThatFollow) {
    MainWindow& w = *window;
    WebShare share({&w.channel()});
    w.addMenuActions({}, [&share] { return share.tooltipLine(); });
    QString error;
    ASSERT_TRUE(share.start(WebAddress(), error)) << error.toStdString();
    const auto tooltip = [&] {
        QHelpEvent ask(QEvent::ToolTip, QPoint(2, 2), window->label2()->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(window->label2(), &ask);
        QApplication::processEvents();
        return window->label2()->toolTip();
    };
    EXPECT_TRUE(tooltip().contains("Browser: 0 open, 0 dropped for not reading"))
        << tooltip().toStdString();
    QTcpSocket follower;
    follower.connectToHost("127.0.0.1", static_cast<quint16>(QUrl(share.url()).port()));
    QElapsedTimer t;
    t.start();
    bool sent = false;
    while (t.elapsed() < 5000 && !tooltip().contains("Browser: 1 open")) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!sent && follower.state() == QAbstractSocket::ConnectedState)
            sent = follower.write("GET /api/stream HTTP/1.1\r\nHost: x\r\n\r\n") > 0;
    }
    EXPECT_TRUE(tooltip().contains("Browser: 1 open, 0 dropped for not reading"))
        << tooltip().toStdString();
    share.stop();
    QApplication::processEvents();
    EXPECT_FALSE(tooltip().contains("Browser:")) << tooltip().toStdString();
}

TEST_F(Shared, APortThatCannotBeHadIsToldInTheFooterAndPollingGoesOn) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    WebShare share({&static_cast<MainWindow&>(*window).channel()});
    QSignalSpy changed(&share, &WebShare::changed);
    WebAddress address;
    address.port = taken.serverPort();
    QString error;
    EXPECT_FALSE(share.start(address, error));
    EXPECT_TRUE(error.contains(QString::number(taken.serverPort()))) << error.toStdString();
    EXPECT_FALSE(share.serving());
    EXPECT_TRUE(share.url().isEmpty());
    EXPECT_TRUE(share.tooltipLine().isEmpty());
    share.tellFailure(error);
    EXPECT_EQ(footer(), error);
    volts({"01234"});
    EXPECT_EQ(digits(), "01,234");

    // Served elsewhere, the footer names the address instead, and a stop ends it.
    address.port = 0;
    ASSERT_TRUE(share.start(address, error));
    EXPECT_EQ(footer(), "In the browser: " + share.url());
    EXPECT_EQ(share.tooltipLine(), "Browser: 0 open, 0 dropped for not reading");
    share.stop();
    EXPECT_NE(footer(), error);
    EXPECT_FALSE(footer().startsWith("In the browser"));
    EXPECT_GE(changed.count(), 3);
}

} // namespace
} // namespace kv
