// The shapes tavctl(1) documents for each --json, and the check of a program's JSON against one.
// A shape is JSON whose strings name the type found there ("string", "integer", "boolean", or
// words the string is one of, joined by '|'); an array holds any number of its one element; an
// object whose one key is in capitals stands for any keys.
#pragma once
#include <map>
#include <string>

namespace tavtest {

// "" when json is one valid JSON value (UTF-8, nothing after it) of the shape; else what is wrong.
std::string JsonShapeProblem(const std::string& json, const std::string& shape);

// The shapes of the man page's JSON OUTPUT section, by the command line that prints them
// ("flash list --json"), from the page's roff source.
std::map<std::string, std::string> ManPageJsonShapes(const std::string& roff);

// The page's text without roff's escapes for '-' and the fonts, as a reader sees the words.
std::string ManPageWords(const std::string& roff);

} // namespace tavtest
