#include "net/cookies.h"

#include <string_view>
#include <vector>

#include "text/split.h"
#include "text/trim.h"

namespace arlo::net {
namespace {

std::string_view nameOf(std::string_view part) {
    return text::trimSpaces(part.substr(0, part.find('=')));
}

}  // namespace

std::string MergeCookies(std::string& jar, std::string& newCookies) {
    jar = text::removeSpaces(jar);
    newCookies = text::removeSpaces(newCookies);

    std::vector<std::string_view> merged = text::split(newCookies, ";");
    for (const std::string_view part : text::split(jar, ";")) {
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
