#pragma once

#include "core/reading.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <cstdint>

namespace kv {

// What a channel has to tell about itself, one note per slot: each part sets or clears its
// own, and the most important note set is what shows (the window's footer, in place of its
// caption). Several parts may have something to say at once; only the winner is told.
class StatusNotes : public QObject {
    Q_OBJECT
public:
    // Most important first. A file shown is what the window is about: no meter is polled
    // meanwhile. Then why no readings come, an overload on the digits, a log that failed,
    // a broker out of reach, a log that falls behind, the bench functions, the recording's
    // count, a reading beyond the needle's scale, what the publisher says, and last where a browser
    // finds the readings.
    enum class Slot {
        openedFile,
        openFailure,
        derivation, // why a derived channel gives gaps
        garbled,
        silence,
        overload,
        logFailure,
        publishTrouble,
        logBehind,
        bench,
        logCondition, // waiting for the log's start condition, or stopped by its stop condition
        recording,
        beyondFullScale,
        publishStatus,
        share, // where the readings are served to a browser
    };

    explicit StatusNotes(QObject* parent = nullptr);

    const QString& note(Slot slot) const { return notes_[index(slot)]; }
    // The most important note set; empty when there is none.
    const QString& text() const { return text_; }
    // Every note set, most important first, each line of a note on its own.
    QStringList all() const;
    // Why no readings come: the port would not open, the replies are garbled or the meter is
    // silent, the first of them that is set; empty otherwise.
    QString whyNoReadings() const;

    // An empty text clears the slot.
    void set(Slot slot, const QString& text);
    void clear(Slot slot) { set(slot, QString()); }

    // The sentences more than one part says.
    static QString garbledText();
    static QString silenceText(TimeMs since);
    // A log this far behind is told: its reader does not keep up.
    static constexpr std::chrono::milliseconds kLogBehindTold{3000};
    static QString logBehindText(std::int64_t seconds);

signals:
    // text() has changed.
    void changed();

private:
    static constexpr std::size_t index(Slot slot) { return static_cast<std::size_t>(slot); }
    static constexpr std::size_t kSlots = static_cast<std::size_t>(Slot::share) + 1;

    std::array<QString, kSlots> notes_;
    QString text_;
};

} // namespace kv
