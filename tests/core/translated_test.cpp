#include "core/translated.h"

#include <gtest/gtest.h>

namespace {

TEST(Translated, ArgumentsFillTheirPlacesOnceInAnyOrder) {
    EXPECT_EQ(kv::withArguments("%2 kann nicht %1", {"geschrieben werden", "a.csv"}),
              "a.csv kann nicht geschrieben werden");
    // An argument's own percent signs are not read again; a place without an argument
    // and a lone percent sign stay.
    EXPECT_EQ(kv::withArguments("%1: %2", {"50%2", "full"}), "50%2: full");
    EXPECT_EQ(kv::withArguments("%1 of %3, 100%", {"x"}), "x of %3, 100%");
}

TEST(Translated, TextsStayAsWrittenUntilATranslationIsInstalled) {
    EXPECT_EQ(kv::translated("kv::Test", "gap"), "gap");
    kv::setTranslation(
        [](const char* context, const char* text) { return std::string(context) + "/" + text; });
    EXPECT_EQ(kv::translated("kv::Test", "gap"), "kv::Test/gap");
    kv::setTranslation(nullptr);
    EXPECT_EQ(kv::translated("kv::Test", "gap"), "gap");
}

} // namespace
