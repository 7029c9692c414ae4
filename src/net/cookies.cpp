#include "net/cookies.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "text/split.h"
#include "text/trim.h"

namespace arlo::net {
namespace {

std::string_view nameOf(std::string_view part) {
    return text::trimSpaces(part.substr(0, part.find('=')));
}

bool isControl(char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return c < 0x20 || c == 0x7F;
}

bool holdsControlBytes(std::string_view text) {
    for (const char ch : text) {
        if (isControl(ch)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string_view SetCookiePair(std::string_view value) {
    return text::trimSpaces(value.substr(0, value.find(';')));
}

std::string SafeCookiePairs(std::string_view cookies) {
    if (!holdsControlBytes(cookies)) {
        return std::string(cookies);
    }
    std::string kept;
    for (const std::string_view part : text::split(cookies, ";")) {
        if (holdsControlBytes(part) || text::trimSpaces(part).empty()) {
            continue;
        }
        if (!kept.empty()) {
            kept += ';';
        }
        kept += part;
    }
    return kept;
}

std::string MergeCookies(std::string& jar, std::string& newCookies) {
    jar = text::removeSpaces(jar);
    newCookies = SafeCookiePairs(text::removeSpaces(newCookies));

    const std::vector<std::string_view> received = text::split(newCookies, ";");
    const std::vector<std::string_view> kept = text::split(jar, ";");
    // Every name is looked up once, so thousands of pairs on both sides merge in linear time.
    std::unordered_set<std::string_view> names;
    names.reserve(received.size() + kept.size());
    std::vector<std::string_view> merged;
    merged.reserve(received.size() + kept.size());
    for (const std::string_view part : received) {
        names.insert(nameOf(part));
        merged.push_back(part);
    }
    for (const std::string_view part : kept) {
        // A pair with a control byte would split the Cookie line it is sent in.
        if (!holdsControlBytes(part) && names.insert(nameOf(part)).second) {
            merged.push_back(part);
        }
    }

    std::string result;
    for (const std::string_view part : merged) {
        // Empty pieces ("a=1;;b=2") carry no cookie; leaving them out keeps the Cookie
        // line free of "; ;" runs.
        if (part.empty() || part.ends_with("=deleted")) {
            continue;
        }
        if (!result.empty()) {
            result += "; ";
        }
        result += part;
    }
    jar = result;
    return result;
}

}  // namespace arlo::net
