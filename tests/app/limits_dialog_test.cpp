#include "app/limits_dialog.h"

#include "format/separators.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace kv {
namespace {

// The dialog as a person meets it: two fields to type into, and OK.
struct Form {
    explicit Form(const Limits& current) : dialog(current) {
        dialog.show();
        lower = dialog.findChild<QLineEdit*>(QStringLiteral("lower"));
        upper = dialog.findChild<QLineEdit*>(QStringLiteral("upper"));
        ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    }
    void type(QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    // The text on screen under the fields; empty when none is shown.
    QString complaint() const {
        const auto* label = dialog.findChild<QLabel*>(QStringLiteral("error"));
        return label->isVisible() ? label->text() : QString();
    }

    LimitsDialog dialog;
    QLineEdit* lower;
    QLineEdit* upper;
    QPushButton* ok;
};

TEST(LimitsDialogUse, TakesLimitsWithEitherDecimalCharacterAndEitherMayBeEmpty) {
    test::Separators german(',', '.');
    Form form({std::nullopt, 12.5f, "V-DC"});
    EXPECT_EQ(form.lower->text(), "");
    EXPECT_EQ(form.upper->text(), "12,5");
    form.type(form.lower, QStringLiteral("1,25"));
    form.type(form.upper, QStringLiteral("12.75"));
    QTest::mouseClick(form.ok, Qt::LeftButton);
    EXPECT_EQ(form.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(form.dialog.limits().lower, 1.25f);
    EXPECT_EQ(form.dialog.limits().upper, 12.75f);
    EXPECT_EQ(form.dialog.limits().unit, "V-DC");

    Form clear({1.0f, 2.0f, "V-DC"});
    clear.type(clear.lower, {});
    clear.type(clear.upper, QStringLiteral("  "));
    QTest::mouseClick(clear.ok, Qt::LeftButton);
    EXPECT_EQ(clear.dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(clear.dialog.limits().any());
}

TEST(LimitsDialogUse, StaysOpenWithOneClearSentenceUntilTheTextIsRight) {
    test::Separators german(',', '.');
    Form form({1.0f, 2.0f, "mVolt"});
    form.type(form.lower, QStringLiteral("zwei"));
    QTest::mouseClick(form.ok, Qt::LeftButton);
    EXPECT_EQ(form.complaint(), "The lower limit is not a number: zwei");
    // Typing again takes the complaint away; the next OK finds the next fault.
    form.type(form.lower, QStringLiteral("5"));
    EXPECT_EQ(form.complaint(), "");
    QTest::mouseClick(form.ok, Qt::LeftButton);
    EXPECT_EQ(form.complaint(), "The lower limit 5 lies above the upper limit 2.");
    EXPECT_TRUE(form.dialog.isVisible());
    EXPECT_EQ(form.dialog.limits().lower, 1.0f); // nothing taken yet

    form.type(form.upper, QStringLiteral("5,5"));
    QTest::mouseClick(form.ok, Qt::LeftButton);
    EXPECT_FALSE(form.dialog.isVisible());
    EXPECT_EQ(form.dialog.limits().upper, 5.5f);
}

} // namespace
} // namespace kv
