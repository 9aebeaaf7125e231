#pragma once

#include "format/number_format.h"

#include <string>

namespace kv::test {

// Sets the separators for one test and puts the defaults back afterwards.
class Separators {
public:
    Separators(char dec, char grp) {
        setDecimalChar(dec);
        setGroupingChar(grp);
    }
    ~Separators() {
        setDecimalChar('.');
        setGroupingChar(',');
    }
    Separators(const Separators&) = delete;
    Separators& operator=(const Separators&) = delete;
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
