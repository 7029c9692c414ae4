#include "catalogue/list_text.h"

namespace arlo::catalogue {

std::vector<std::string> splitList(std::string_view text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find("\r\n", start);
        if (at == std::string_view::npos) {
            if (start < text.size()) {
                out.emplace_back(text.substr(start));
            }
            break;
        }
        out.emplace_back(text.substr(start, at - start));
        start = at + 2;
    }
    return out;
}

std::string valueAfterLastDash(std::string_view line) {
    const std::size_t dash = line.rfind('-');
    if (dash == std::string_view::npos) {
        return {};
    }
    return std::string(line.substr(dash + 1));
}

}  // namespace arlo::catalogue
