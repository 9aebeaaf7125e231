#pragma once

#include "web/web_address.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QWidget;

namespace kv {

class Channel;
class WebFeed;
class WebServer;

// The channels shown in a browser: the feed of their readings and the server of the page,
// on or off while the program runs, and what the windows tell of it (a note in each
// channel's footer, a line in its tooltip). The channels must outlive it.
class WebShare : public QObject {
    Q_OBJECT
public:
    explicit WebShare(const std::vector<Channel*>& channels, QObject* parent = nullptr);
    ~WebShare() override;

    // Serves at `address`. False, with one sentence in `error`, when it cannot: then nothing
    // is served (also not what was served before).
    bool start(const WebAddress& address, QString& error);
    void stop();
    bool serving() const;
    // The last address asked for; the command line's, or 127.0.0.1 and a free port.
    const WebAddress& address() const { return address_; }
    // The token file of the command line, used again when the dialog serves anew.
    QString tokenFile;

    // "http://127.0.0.1:8080/"; empty while not serving.
    QString url() const;
    // What the program tells on stderr as it starts serving: the address to open and
    // whether a token is asked for.
    QString startLine() const;
    // For the footer's tooltip: streams open and dropped; empty while not serving.
    QString tooltipLine() const;
    // A reason to show in each footer in place of the address (the dialog could not serve).
    void tellFailure(const QString& reason);

    // The dialog of the window's menu: on or off, the address and port, the address to open.
    void askIn(QWidget* window);

signals:
    void changed();

private:
    void note();

    std::vector<Channel*> channels_;
    std::unique_ptr<WebFeed> feed_;
    std::unique_ptr<WebServer> server_;
    WebAddress address_;
    QString failure_;
};

} // namespace kv
