#pragma once

#include "record/log_writer.h"

#include <QFontMetrics>
#include <QSize>
#include <QString>
#include <cstdint>

namespace kv {

// What the footer can tell, as the window's session and record stand.
struct FooterState {
    QString openFailure;  // why the port would not open; empty once it did
    bool garbled = false; // the meter's replies have been garbled for a while
    bool silent = false;
    std::int64_t silentSinceMs = 0;
    bool overload = false;
    QString logFailure; // why the last log failed to begin or to go on
    bool recording = false;
    QString recordingName;
    std::int64_t recordedReadings = 0;
    LogWriter::Backlog log; // of the log while recording
    QString bench;          // hold, relative, limits and statistics; empty: nothing to say
    bool beyondFullScale = false;
    float fullScale = 0;
    QString openedFile;          // what is shown of an opened file; empty: none is
    QString publishStatus;       // what the publisher to a broker says; empty: none
    bool publishTrouble = false; // the broker is out of reach or refused
};

// A log this far behind is told in the footer: its reader does not keep up.
constexpr std::chrono::milliseconds kLogBehindTold{3000};

// Why no readings come, most important first: the port could not be opened, the replies
// are garbled, or the meter is silent; empty otherwise.
QString whyNoReadings(const FooterState& state);

// The footer's note, most important first; empty when the footer shows its caption.
QString footerText(const FooterState& state);

// The note as it fits `room` in `metrics`, wrapped at words: its lines (one per note) as
// they are when they fit; else notes side by side on a line where they go, and when even
// that is too much, the lines that fit with "…" after the last one's words that still go.
// *cut (when given) tells whether anything was left off: then the whole note belongs in
// the footer's tooltip.
QString fittedFooter(const QString& note, const QFontMetrics& metrics, const QSize& room,
                     bool* cut = nullptr);

} // namespace kv
