#include "catalogue/list_text.h"

#include "text/split.h"

namespace arlo::catalogue {

std::vector<std::string> splitList(std::string_view text) {
    const std::vector<std::string_view> pieces = text::split(text, "\r\n");
    return {pieces.begin(), pieces.end()};
}

std::string valueAfterLastDash(std::string_view line) {
    const std::size_t dash = line.rfind('-');
    if (dash == std::string_view::npos) {
        return {};
    }
    return std::string(line.substr(dash + 1));
}

}  // namespace arlo::catalogue
