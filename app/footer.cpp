#include "app/footer.h"

#include "app/main_form.h"
#include "channel/status_notes.h"

#include <QLabel>
#include <QStringList>
#include <QTimer>

namespace kv {

namespace {
// Between notes that share a line.
const QString kBetween = QStringLiteral("  \u00b7  ");

bool fits(const QString& text, const QFontMetrics& metrics, const QSize& room) {
    const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20),
                                              Qt::AlignLeft | Qt::TextWordWrap, text);
    return needed.height() <= room.height();
}

// The notes side by side where two go on one line, in their order.
QStringList packed(const QStringList& notes, const QFontMetrics& metrics, int width) {
    QStringList lines;
    for (const QString& note : notes) {
        if (!lines.isEmpty() && metrics.horizontalAdvance(lines.back() + kBetween + note) <= width)
            lines.back() += kBetween + note;
        else
            lines << note;
    }
    return lines;
}
} // namespace

QString fittedFooter(const QString& note, const QFontMetrics& metrics, const QSize& room,
                     bool* cut) {
    if (cut)
        *cut = false;
    if (fits(note, metrics, room))
        return note;
    const auto joined = [](const QStringList& lines) { return lines.join(QLatin1Char('\n')); };
    // The longest start of `line` that goes below `above` with the mark of what went; empty
    // when not even its first word does. A shorter start never needs more room, so the
    // number of words is found by halving.
    const auto fittingStart = [&](const QStringList& above, const QString& line) {
        const QStringList words = line.split(QLatin1Char(' '));
        const auto start = [&](int n) {
            return QStringList(words.mid(0, n)).join(QLatin1Char(' ')) + QStringLiteral(" \u2026");
        };
        if (!fits(joined(above + QStringList{start(1)}), metrics, room))
            return QString();
        int fitting = 1;
        int tooMany = int(words.size());
        while (tooMany - fitting > 1) {
            const int n = fitting + (tooMany - fitting) / 2;
            if (fits(joined(above + QStringList{start(n)}), metrics, room))
                fitting = n;
            else
                tooMany = n;
        }
        return start(fitting);
    };

    QStringList kept;
    for (const QString& line : packed(note.split(QLatin1Char('\n')), metrics, room.width())) {
        if (fits(joined(kept + QStringList{line}), metrics, room)) {
            kept << line;
            continue;
        }
        if (cut)
            *cut = true;
        const QString start = fittingStart(kept, line);
        if (!start.isEmpty()) {
            kept << start;
            return joined(kept);
        }
        // Not a word of it goes: the line above ends with the mark instead.
        if (kept.isEmpty())
            return metrics.elidedText(line, Qt::ElideRight, room.width());
        const QString last = kept.takeLast();
        const QString lastStart = fittingStart(kept, last);
        kept << (lastStart.isEmpty() ? metrics.elidedText(last, Qt::ElideRight, room.width())
                                     : lastStart);
        return joined(kept);
    }
    return joined(kept);
}

namespace {
// The footer while it tells something: wide enough for a reason that names a device path,
// on up to three lines of the form's font beside Exit, between the chart and the bottom.
constexpr ControlForm kFooterNote{8, 608, 356, 39, nullptr, {}, -1};
} // namespace

FooterView::FooterView(QLabel& label, const StatusNotes& notes, QObject* parent)
    : QObject(parent), label_(label), notes_(notes) {
    connect(&notes_, &StatusNotes::changed, this, &FooterView::show);
    show();
}

void FooterView::show() {
    const QString& note = notes_.text().isEmpty() ? notice_ : notes_.text();
    // The label is laid out anew only when it turns from its caption to a note or back.
    if (note == shown_)
        return;
    const bool wasNote = !shown_.isEmpty();
    shown_ = note;
    if (note.isEmpty() || !wasNote) {
        layOut();
        return;
    }
    label_.setText(fittedFooter(note, label_.fontMetrics(), label_.contentsRect().size(), &cut_));
}

void FooterView::layOut() {
    if (shown_.isEmpty()) {
        cut_ = false;
        label_.setWordWrap(false);
        // The caption's place may follow its text (see placeControl). A caption of its own has
        // the room of a note beside Exit.
        ControlForm form = mainform::kLabel2;
        if (!caption_.isEmpty())
            form.width = kFooterNote.width;
        label_.setText(caption_.isEmpty() ? QString::fromUtf8(form.text) : caption_);
        placeControl(label_, form, zoom_);
        return;
    }
    label_.setWordWrap(true);
    placeControl(label_, kFooterNote, zoom_);
    label_.setText(fittedFooter(shown_, label_.fontMetrics(), label_.contentsRect().size(), &cut_));
}

void FooterView::setCaption(const QString& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    if (shown_.isEmpty())
        layOut();
}

void FooterView::setZoom(double zoom) {
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    layOut();
}

void FooterView::tell(const QString& notice, int shownMs) {
    notice_ = notice;
    show();
    QTimer::singleShot(shownMs, this, [this, notice] {
        // A later notice keeps its own time.
        if (notice_ != notice)
            return;
        notice_.clear();
        show();
    });
}

} // namespace kv
