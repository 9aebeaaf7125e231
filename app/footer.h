#pragma once

#include <QFontMetrics>
#include <QObject>
#include <QSize>
#include <QString>

class QLabel;

namespace kv {

class StatusNotes;

// The note as it fits `room` in `metrics`, wrapped at words: its lines (one per note) as
// they are when they fit; else notes side by side on a line where they go, and when even
// that is too much, the lines that fit with "…" after the last one's words that still go.
// *cut (when given) tells whether anything was left off: then the whole note belongs in
// the footer's tooltip.
QString fittedFooter(const QString& note, const QFontMetrics& metrics, const QSize& room,
                     bool* cut = nullptr);

// The footer line of a window: its caption, or in its place the channel's most important
// note, on up to three lines of the form's font beside Exit, between the chart and the
// bottom; what does not fit there belongs in the tooltip.
class FooterView : public QObject {
    Q_OBJECT
public:
    // The label and the notes must outlive the view.
    FooterView(QLabel& label, const StatusNotes& notes, QObject* parent = nullptr);

    // What the footer shows while there is no note; empty: the form's caption. A caption of
    // its own has the room of a note beside Exit.
    void setCaption(const QString& caption);

    // The whole note while the footer shows only part of it; empty otherwise.
    QString cutNote() const { return cut_ ? shown_ : QString(); }

    // The window's zoom: the footer's places and font follow it.
    void setZoom(double zoom);
    // A notice of the window's own, shown in place of the caption for `shownMs`; a note of
    // the channel goes first.
    void tell(const QString& notice, int shownMs);

private:
    void show();
    // The label laid out anew for what it shows.
    void layOut();

    QLabel& label_;
    const StatusNotes& notes_;
    QString caption_;
    QString shown_; // the note shown in place of the caption; empty: the caption
    QString notice_;
    double zoom_ = 1.0;
    bool cut_ = false;
};

} // namespace kv
