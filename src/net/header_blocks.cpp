#include "net/header_blocks.h"

#include "text/ascii.h"
#include "text/numbers.h"

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

}  // namespace arlo::net
