#include "JsonShape.h"

#include <nlohmann/json.hpp>

#include <sstream>

namespace tavtest {
namespace {

using Json = nlohmann::json;

// "" when v is of the shape s; where is the path that led here.
std::string Mismatch(const Json& v, const Json& s, const std::string& where) {
    if (s.is_string()) {
        std::istringstream alternatives(s.get<std::string>());
        for (std::string a; std::getline(alternatives, a, '|');)
            if ((a == "string" && v.is_string()) || (a == "integer" && v.is_number_integer()) ||
                (a == "boolean" && v.is_boolean()) || (v.is_string() && v.get<std::string>() == a))
                return "";
        return where + ": " + v.dump() + " is not " + s.get<std::string>();
    }
    if (v.type() != s.type()) return where + ": " + v.type_name() + " where " + s.type_name() + " belongs";
    if (s.is_array()) {
        for (size_t i = 0; i < v.size(); ++i)
            if (std::string why = Mismatch(v[i], s.at(0), where + "[" + std::to_string(i) + "]");
                !why.empty())
                return why;
        return "";
    }
    // An object: one key in capitals stands for any; else exactly the keys shown, in any order.
    const std::string first = s.begin().key();
    const bool anyKeys =
        s.size() == 1 && first.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos;
    if (!anyKeys && v.size() != s.size())
        return where + ": " + std::to_string(v.size()) + " members, not " + std::to_string(s.size());
    for (const auto& [key, value] : v.items()) {
        if (!anyKeys && !s.contains(key)) return where + ": member \"" + key + "\" is not in the shape";
        if (std::string why = Mismatch(value, s.at(anyKeys ? first : key), where + "." + key); !why.empty())
            return why;
    }
    return "";
}

} // namespace

std::string JsonShapeProblem(const std::string& json, const std::string& shape) {
    // The library's reader is strict: one value, RFC 8259, UTF-8 checked.
    try {
        return Mismatch(Json::parse(json), Json::parse(shape), "$");
    } catch (const Json::exception& e) {
        return e.what();
    }
}

std::string ManPageWords(const std::string& roff) {
    std::string out;
    for (size_t i = 0; i < roff.size(); ++i)
        if (roff.compare(i, 2, "\\-") == 0)
            out += '-', ++i;
        else if (roff.compare(i, 2, "\\f") == 0)
            i += 2; // \fB, \fI, \fR
        else
            out += roff[i];
    return out;
}

std::map<std::string, std::string> ManPageJsonShapes(const std::string& roff) {
    std::map<std::string, std::string> shapes;
    const size_t at = roff.find(".SH JSON OUTPUT\n");
    const size_t block = roff.find("\n.nf\n", at);
    if (at == std::string::npos || block == std::string::npos) return shapes; // a page without them
    std::istringstream in(ManPageWords(roff.substr(block + 5)));
    std::string command;
    // A command line at the margin, its shape on the indented lines below it.
    for (std::string line; std::getline(in, line) && line != ".fi";)
        if (!line.empty() && line[0] != ' ')
            command = line;
        else
            shapes[command] += line;
    return shapes;
}

} // namespace tavtest
