#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kv::test {

// Sets LC_NUMERIC to a locale with a decimal comma, as a desktop session does once the
// application has started, and puts the old one back afterwards. Where no such locale is
// installed, one is compiled from the system's locale sources into a private folder.
class CommaNumericLocale {
public:
    CommaNumericLocale() : old_(std::setlocale(LC_NUMERIC, nullptr)) {
        if (trySystemLocales())
            return;
        char dirTemplate[] = "/tmp/kv27500-locale-XXXXXX";
        if (!mkdtemp(dirTemplate))
            return;
        dir_ = dirTemplate;
        const std::string cmd =
            "localedef -i de_DE -f UTF-8 '" + dir_ + "/de_DE.UTF-8' >/dev/null 2>&1";
        (void)std::system(cmd.c_str()); // warnings give a non-zero status with a usable result
        if (const char* old = std::getenv("LOCPATH"))
            oldLocPath_ = old, hadLocPath_ = true;
        setenv("LOCPATH", dir_.c_str(), 1);
        if (!trySystemLocales())
            restoreLocPath();
    }
    ~CommaNumericLocale() {
        std::setlocale(LC_NUMERIC, old_.c_str());
        if (!dir_.empty()) {
            restoreLocPath();
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
        }
    }
    bool active() const { return active_; }

private:
    bool trySystemLocales() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "de_AT.UTF-8", "de_CH.UTF-8",
                                 "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8"}) {
            if (std::setlocale(LC_NUMERIC, name) && *std::localeconv()->decimal_point == ',') {
                active_ = true;
                return true;
            }
        }
        std::setlocale(LC_NUMERIC, old_.c_str());
        return false;
    }
    void restoreLocPath() {
        if (hadLocPath_)
            setenv("LOCPATH", oldLocPath_.c_str(), 1);
        else
            unsetenv("LOCPATH");
    }

    std::string old_;
    std::string dir_;
    std::string oldLocPath_;
    bool hadLocPath_ = false;
    bool active_ = false;
};

} // namespace kv::test
