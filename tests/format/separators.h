#pragma once

#include "format/number_format.h"

#include <string>

namespace kv::test {

// Sets the separators for one test and puts back afterwards whatever was set before, so
// the next test in the same process starts as this one did.
class Separators {
public:
    Separators(char dec, char grp) : savedDec_(decimalChar()), savedGrp_(groupingChar()) {
        setDecimalChar(dec);
        setGroupingChar(grp);
    }
    ~Separators() {
        setDecimalChar(savedDec_);
        setGroupingChar(savedGrp_);
    }
    Separators(const Separators&) = delete;
    Separators& operator=(const Separators&) = delete;

private:
    char savedDec_;
    char savedGrp_;
};

// Expected texts are written for the German separators; this gives the English ones.
inline std::string swapSeparators(std::string s) {
    for (char& c : s) {
        if (c == ',')
            c = '.';
        else if (c == '.')
            c = ',';
    }
    return s;
}

} // namespace kv::test
