#pragma once

#include <initializer_list>
#include <string>

namespace kv {

// A text of the program's own for people, in the user's language. The plain layers cannot
// call Qt's translation functions, so their texts pass through here; the program installs
// Qt's translation behind it at start (app/translation.h), and until then every text stays
// as written. lupdate reads translated("context", "text") as it reads
// QCoreApplication::translate, so the text must be a literal.
std::string translated(const char* context, const char* text);

// The text with %1, %2, ... replaced by the arguments, in one pass: an argument holding
// "%2" stays as it is.
std::string withArguments(const std::string& text, std::initializer_list<std::string> args);

// What translated() asks; nullptr gives every text back as written.
using Translation = std::string (*)(const char* context, const char* text);
void setTranslation(Translation translation);

} // namespace kv
