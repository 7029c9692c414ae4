#include "net/header_blocks.h"

#include "net/cookies.h"
#include "text/ascii.h"
#include "text/numbers.h"
#include "text/split.h"

namespace arlo::net {

void HeaderBlocks::take(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    const bool statusLine = line.starts_with("HTTP/");
    if (blockEnded_ && !(statusLine && nextResponseMayFollow_)) {
        return;
    }
    if (statusLine) {
        block_.clear();
        blockEnded_ = false;
        const auto space = line.find(' ');
        status_ = space == std::string_view::npos ? 0 : text::parseInt(line.substr(space + 1));
        hasLocation_ = false;
    }
    if (text::toLowerAscii(line.substr(0, 9)) == "location:") {
        hasLocation_ = true;
    }
    block_.append(line).append("\r\n");
    if (line.empty()) {
        blockEnded_ = true;
        nextResponseMayFollow_ =
            status_ < 200 || (following_ && status_ >= 300 && status_ < 400 && hasLocation_);
    }
}

std::vector<HeaderField> headerFields(std::string_view block) {
    std::vector<HeaderField> fields;
    const std::vector<std::string_view> lines = text::split(block, "\n");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (const auto colon = line.find(':'); colon != std::string_view::npos) {
            fields.push_back({line.substr(0, colon), line.substr(colon + 1)});
        }
    }
    return fields;
}

std::optional<std::string_view> findHeader(std::string_view block, std::string_view name) {
    for (const HeaderField& field : headerFields(block)) {
        if (text::equalsIgnoringAsciiCase(field.name, name)) {
            return field.value;
        }
    }
    return std::nullopt;
}

std::vector<std::string_view> setCookiePairs(std::string_view block) {
    std::vector<std::string_view> pairs;
    for (const HeaderField& field : headerFields(block)) {
        if (text::equalsIgnoringAsciiCase(field.name, "set-cookie")) {
            pairs.push_back(SetCookiePair(field.value));
        }
    }
    return pairs;
}

}  // namespace arlo::net
