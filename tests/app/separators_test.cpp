#include "app/application.h"
#include "format/number_format.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

class RegionalSeparators : public ::testing::Test {
protected:
    void TearDown() override {
        setDecimalChar(saved.first);
        setGroupingChar(saved.second);
    }
    std::pair<char, char> saved{decimalChar(), groupingChar()};
};

TEST_F(RegionalSeparators, TakenFromTheLocaleAtStartUp) {
    struct Case {
        QLocale locale;
        char decimal, grouping;
    } cases[] = {
        {QLocale(QLocale::German, QLocale::Germany), ',', '.'},
        {QLocale(QLocale::English, QLocale::UnitedStates), '.', ','},
        {QLocale(QLocale::French, QLocale::France), ',', ' '},
        {QLocale::c(), '.', ','},
    };
    for (const Case& c : cases) {
        applyRegionalSeparators(c.locale);
        EXPECT_EQ(decimalChar(), c.decimal) << c.locale.name().toStdString();
        EXPECT_EQ(groupingChar(), c.grouping) << c.locale.name().toStdString();
    }
}

TEST_F(RegionalSeparators, MissingOrNonAsciiSymbolsFallBack) {
    EXPECT_EQ(separatorFromSymbol(QString(), '.'), '.');
    EXPECT_EQ(separatorFromSymbol(QString(QChar(0x202F)), ','), ' '); // narrow no-break space
    EXPECT_EQ(separatorFromSymbol(QString(QChar(0x00A0)), ','), ' ');
    EXPECT_EQ(separatorFromSymbol(QString(QChar(0x066B)), '.'), '.'); // Arabic decimal sign
    EXPECT_EQ(separatorFromSymbol(QStringLiteral(",x"), '.'), ',');
}

} // namespace
} // namespace kv
