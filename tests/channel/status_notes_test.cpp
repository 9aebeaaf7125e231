// What a channel tells in place of the footer's caption: each part's note in its slot, the
// most important one shown.
#include "channel/status_notes.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace kv {
namespace {

using Slot = StatusNotes::Slot;

TEST(StatusNotes, TheMostImportantNoteSetIsShownAndClearingItUncoversTheNext) {
    StatusNotes notes;
    QSignalSpy changes(&notes, &StatusNotes::changed);
    EXPECT_EQ(notes.text(), "") << "nothing to tell: the caption";
    notes.set(Slot::publishStatus, "MQTT: publishing to broker as lab/kv");
    notes.set(Slot::beyondFullScale, "Beyond the needle's full scale of 10");
    notes.set(Slot::recording, "Recording to log.csv: 2 readings");
    EXPECT_EQ(notes.text(), "Recording to log.csv: 2 readings");
    notes.set(Slot::bench, "Hold: 1,234 V-DC since 14:03:07");
    notes.set(Slot::logBehind, StatusNotes::logBehindText(65));
    EXPECT_EQ(notes.text(), "The log is 65 s behind: its reader does not keep up");
    // The broker's trouble ranks above the log and the recording, never above the meter.
    notes.set(Slot::publishTrouble, "MQTT: broker unreachable since 14:03:07");
    notes.set(Slot::logFailure, "Cannot write log.csv: no space left on device.");
    EXPECT_EQ(notes.text(), "Cannot write log.csv: no space left on device.");
    notes.set(Slot::overload, "Overload: the meter shows OL");
    notes.set(Slot::silence, StatusNotes::silenceText(0));
    notes.set(Slot::garbled, StatusNotes::garbledText());
    notes.set(Slot::openFailure, "Cannot open COM9.");
    EXPECT_EQ(notes.text(), "Cannot open COM9.");
    notes.set(Slot::openedFile, "f.csv: 10 readings from 08.12.2026 14:03 to 14:04");
    EXPECT_EQ(notes.text(), "f.csv: 10 readings from 08.12.2026 14:03 to 14:04")
        << "a file shown is what the window is about";

    const int told = changes.count();
    notes.set(Slot::recording, "Recording to log.csv: 3 readings");
    EXPECT_EQ(changes.count(), told) << "a note under the winner changes nothing shown";

    for (Slot slot : {Slot::openedFile, Slot::openFailure, Slot::garbled, Slot::silence,
                      Slot::overload, Slot::logFailure, Slot::publishTrouble})
        notes.clear(slot);
    EXPECT_EQ(notes.text(), "The log is 65 s behind: its reader does not keep up");
    notes.clear(Slot::logBehind);
    EXPECT_EQ(notes.text(), "Hold: 1,234 V-DC since 14:03:07");
    notes.clear(Slot::bench);
    notes.clear(Slot::recording);
    notes.clear(Slot::beyondFullScale);
    EXPECT_EQ(notes.text(), "MQTT: publishing to broker as lab/kv");
    notes.clear(Slot::publishStatus);
    EXPECT_EQ(notes.text(), "");
    EXPECT_EQ(changes.count(), told + 12) << "each winner told once";
}

TEST(StatusNotes, WhyNoReadingsComeIsTheFirstOfTheOpenFailureGarbledRepliesAndSilence) {
    StatusNotes notes;
    notes.set(Slot::overload, "Overload: the meter shows OL");
    EXPECT_EQ(notes.whyNoReadings(), "") << "an overload is a reading";
    notes.set(Slot::silence, StatusNotes::silenceText(0));
    EXPECT_TRUE(notes.whyNoReadings().startsWith("No reply from the meter since "));
    notes.set(Slot::garbled, StatusNotes::garbledText());
    EXPECT_EQ(notes.whyNoReadings(), "The meter's replies are garbled: check the cable");
    notes.set(Slot::openFailure, "Cannot open COM9.");
    EXPECT_EQ(notes.whyNoReadings(), "Cannot open COM9.");
}

} // namespace
} // namespace kv
