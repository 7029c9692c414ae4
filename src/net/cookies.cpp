#include "net/cookies.h"

#include <string_view>
#include <vector>

#include "text/trim.h"

namespace arlo::net {
namespace {

// Splits at ";", keeping empty parts between separators and dropping a trailing empty one.
std::vector<std::string_view> splitParts(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto semi = text.find(';', start);
        if (semi == std::string_view::npos) {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, semi - start));
        start = semi + 1;
    }
    return parts;
}

std::string_view nameOf(std::string_view part) {
    return text::trimSpaces(part.substr(0, part.find('=')));
}

}  // namespace

std::string MergeCookies(std::string& jar, std::string& newCookies) {
    jar = text::removeSpaces(jar);
    newCookies = text::removeSpaces(newCookies);

    std::vector<std::string_view> merged = splitParts(newCookies);
    for (const std::string_view part : splitParts(jar)) {
        const std::string_view name = nameOf(part);
        bool known = false;
        for (const std::string_view kept : merged) {
            if (nameOf(kept) == name) {
                known = true;
                break;
            }
        }
        if (!known) {
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
