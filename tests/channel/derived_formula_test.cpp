// Reading NAME=EXPRESSION as the command line gives it, and checking a whole set of channels.
#include "channel/derived_formula.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using Op = DerivedOperation;

TEST(DerivationParsing, EachFormReadsItsOperationInputsAndNumber) {
    struct Case {
        const char* text;
        char decimal;
        const char* name;
        Op operation;
        std::vector<std::string> inputs;
        double number;
    } cases[] = {
        {"P=U*I", '.', "P", Op::product, {"U", "I"}, 0},
        {"  P =  U  *  I ", '.', "P", Op::product, {"U", "I"}, 0},
        {"R=U/I", '.', "R", Op::quotient, {"U", "I"}, 0},
        {"S=A+B", '.', "S", Op::sum, {"A", "B"}, 0},
        {"Sq=A+A", '.', "Sq", Op::sum, {"A", "A"}, 0},
        {"D=A-B", '.', "D", Op::difference, {"A", "B"}, 0},
        // A minus that belongs to names: the one whose both sides are names subtracts.
        {"D=in-1-out-2", '.', "D", Op::difference, {"in-1", "out-2"}, 0},
        {"D=a-b - c", '.', "D", Op::difference, {"a-b", "c"}, 0},
        {"P=in-1*out_2", '.', "P", Op::product, {"in-1", "out_2"}, 0},
        {"K=A*1000", '.', "K", Op::timesNumber, {"A"}, 1000},
        {"K=A * -2", '.', "K", Op::timesNumber, {"A"}, -2},
        {"H=A/2.5", '.', "H", Op::byNumber, {"A"}, 2.5},
        {"H=A/2,5", ',', "H", Op::byNumber, {"A"}, 2.5},
        {"H=A/2.5", ',', "H", Op::byNumber, {"A"}, 2.5},
        {"H=A/.5", '.', "H", Op::byNumber, {"A"}, 0.5},
        {"H=A/-,25", ',', "H", Op::byNumber, {"A"}, -0.25},
        {"H=A*3.", '.', "H", Op::timesNumber, {"A"}, 3},
        {"Z=A*0", '.', "Z", Op::timesNumber, {"A"}, 0},
        {"Q=integral(I)", '.', "Q", Op::integral, {"I"}, 0},
        {"Q = Integral ( I ) ", '.', "Q", Op::integral, {"I"}, 0},
        {"abcdefghijklmnop=A*B2", '.', "abcdefghijklmnop", Op::product, {"A", "B2"}, 0},
    };
    for (const Case& c : cases) {
        const ParsedDerivation parsed = parseDerivation(c.text, c.decimal);
        ASSERT_TRUE(parsed.ok()) << c.text << ": " << parsed.error;
        EXPECT_EQ(parsed.formula.name, c.name) << c.text;
        EXPECT_EQ(parsed.formula.operation, c.operation) << c.text;
        EXPECT_EQ(parsed.formula.inputs, c.inputs) << c.text;
        EXPECT_DOUBLE_EQ(parsed.formula.number, c.number) << c.text;
    }
}

TEST(DerivationParsing, EachBadTextGetsOneSentenceNamingItsProblem) {
    const std::string forms =
        " is not one of the expressions X*Y, X/Y, X+Y, X-Y, X*NUMBER, X/NUMBER and integral(X).";
    const std::string nameRule =
        " is not a channel name: a name has up to 16 letters, digits, _ and -, the first a letter.";
    struct Case {
        const char* text;
        char decimal;
        std::string error;
    } cases[] = {
        {"PU*I", '.', "\"PU*I\" is not of the form NAME=EXPRESSION."},
        {"1P=U*I", '.', "\"1P\"" + nameRule},
        {"P Q=U*I", '.', "\"P Q\"" + nameRule},
        {"=U*I", '.', "\"\"" + nameRule},
        {"abcdefghijklmnopq=U*I", '.', "\"abcdefghijklmnopq\"" + nameRule},
        {"Ü=U*I", '.', "\"Ü\"" + nameRule},
        {"P=U*abcdefghijklmnopq", '.', "\"abcdefghijklmnopq\"" + nameRule},
        {"P=integral(1x)", '.', "\"1x\"" + nameRule},
        {"P=", '.', "\"\"" + forms},
        {"P=U", '.', "\"U\"" + forms},
        {"P=U*I*J", '.', "\"U*I*J\"" + forms},
        {"P=U**I", '.', "\"U**I\"" + forms},
        {"P=U * I J", '.', "\"U * I J\"" + forms},
        {"P=2*U", '.', "\"2*U\"" + forms},
        {"P=U+2", '.', "\"U+2\"" + forms},
        {"P=U-2", '.', "\"U-2\"" + forms},
        {"P=-U", '.', "\"-U\"" + forms},
        {"P=U=I", '.', "\"U=I\"" + forms},
        {"P=integral(U*I)", '.', "\"integral(U*I)\"" + forms},
        {"P=integral()", '.', "\"integral()\"" + forms},
        {"P=integral(U", '.', "\"integral(U\"" + forms},
        {"P=U/0", '.', "\"U/0\" divides by 0."},
        {"P=U / 0.000", '.', "\"U / 0.000\" divides by 0."},
        {"P=U/-0,0", ',', "\"U/-0,0\" divides by 0."},
        {"P=U*2,5", '.', "\"2,5\" is neither a channel name nor a number."},
        {"P=U*1.2.3", '.', "\"1.2.3\" is neither a channel name nor a number."},
        {"P=U*1e3", '.', "\"1e3\" is neither a channel name nor a number."},
        {"P=a-b-c", '.',
         "\"a-b-c\" can be read in more than one way: put blanks around the minus that "
         "subtracts."},
    };
    for (const Case& c : cases) {
        const ParsedDerivation parsed = parseDerivation(c.text, c.decimal);
        EXPECT_FALSE(parsed.ok()) << c.text;
        EXPECT_EQ(parsed.error, c.error) << c.text;
        EXPECT_TRUE(parsed.formula.inputs.empty()) << c.text;
    }
}

DerivedFormula formula(const char* text) {
    const ParsedDerivation parsed = parseDerivation(text, '.');
    EXPECT_TRUE(parsed.ok()) << parsed.error;
    return parsed.formula;
}

TEST(ChannelCheck, AGoodSetPassesAndEachProblemIsToldInOneSentence) {
    const std::vector<std::string> meters{"U", "I"};
    // Derived channels of derived ones, in any order, and one used twice (no cycle).
    EXPECT_EQ(checkChannels(meters, {formula("E=integral(P)"), formula("P=U*I"), formula("R=U/I"),
                                     formula("X=P+E"), formula("Y=X-P")}),
              "");
    EXPECT_EQ(checkChannels({}, {}), "");

    EXPECT_EQ(checkChannels({"U", "U"}, {}), "Two channels are named \"U\".");
    EXPECT_EQ(checkChannels(meters, {formula("I=U*2")}), "Two channels are named \"I\".");
    EXPECT_EQ(checkChannels(meters, {formula("P=U*I"), formula("P=U/I")}),
              "Two channels are named \"P\".");
    EXPECT_EQ(checkChannels(meters, {formula("u=U*2")}), "") << "names are told apart by case";
    EXPECT_EQ(checkChannels({"U", "I 2"}, {}),
              "\"I 2\" is not a channel name: a name has up to 16 letters, digits, _ and -, "
              "the first a letter.");

    EXPECT_EQ(checkChannels(meters, {formula("P=U*I"), formula("E=integral(W)")}),
              "The derived channel \"E\" uses \"W\", which is no channel.");
}

TEST(ChannelCheck, ACycleIsToldWithTheNamesAroundIt) {
    const std::vector<std::string> meters{"U", "I"};
    EXPECT_EQ(checkChannels(meters, {formula("P=P*2")}),
              "The derived channels depend on themselves in a cycle: P → P.");
    EXPECT_EQ(checkChannels(meters, {formula("P=U*Q"), formula("Q=P/2")}),
              "The derived channels depend on themselves in a cycle: P → Q → P.");
    // A cycle reached from outside it names only its own channels.
    EXPECT_EQ(checkChannels(meters, {formula("A=U+X"), formula("X=Y+U"), formula("Y=Z-I"),
                                     formula("Z=integral(X)")}),
              "The derived channels depend on themselves in a cycle: X → Y → Z → X.");
}

} // namespace
} // namespace kv
