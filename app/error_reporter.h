#pragma once

#include <QObject>
#include <QString>
#include <exception>
#include <functional>

namespace kv {

// The one place an error ends up once a handler has given up on it. It shows the message in
// a modal box captioned with the program's title and lets the program go on. The box is
// opened from the event loop, never from inside the handler that failed, and while one is
// pending or open every further report is dropped: the poll timer keeps running behind the
// box, and an error that recurs on every tick must not pile up boxes.
class ErrorReporter : public QObject {
    Q_OBJECT
public:
    // Shows one box and returns when the user has closed it.
    using Presenter = std::function<void(const QString& caption, const QString& text)>;

    // Without a presenter the reporter opens a QMessageBox with the error icon.
    explicit ErrorReporter(Presenter presenter = {}, QObject* parent = nullptr);

    // Reports a message; returns false when it was dropped because a box is pending or open.
    bool report(const QString& message);
    bool report(const std::exception& error);

    // Runs fn and reports whatever it throws, so that no exception reaches Qt's event loop.
    // Returns true when fn finished normally.
    bool guard(const std::function<void()>& fn);

    bool busy() const { return busy_; }
    int shown() const { return shown_; }
    int dropped() const { return dropped_; }

    // The caption of every box: the program file's name without its folder, cut at its first
    // full stop. Empty before the program's path is known.
    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption) { caption_ = caption; }

    // "kv27500" for "/usr/bin/kv27500.exe".
    static QString titleFromProgramPath(const QString& path);
    // The message as the box shows it: with "." appended when its last character sorts
    // after ".".
    static QString boxText(const QString& message);

    // The reporter the application object routes its uncaught exceptions to; null when none
    // is installed.
    static ErrorReporter* instance();
    static void setInstance(ErrorReporter* reporter);

private:
    void present(const QString& text);

    Presenter presenter_;
    QString caption_;
    bool busy_ = false;
    int shown_ = 0;
    int dropped_ = 0;
};

} // namespace kv
