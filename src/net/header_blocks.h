#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arlo::net {

// The response header block of one transfer, from the header lines libcurl hands over one at a
// time. Each response (an interim 1xx, each followed redirect) starts with its status line and
// only the last one's block is kept, its lines ended with CR LF whatever the server sent. After a
// block's empty line libcurl also hands over the trailer fields of a chunked body: they are not
// headers, and only a response that can follow there starts a new block.
class HeaderBlocks {
public:
    explicit HeaderBlocks(bool following = false) : following_(following) {}

    // Whether the transfer follows redirects: a redirect's block is then followed by another.
    void setFollowing(bool following) { following_ = following; }

    // Takes one line as libcurl hands it over, line end included.
    void take(std::string_view line);

    // The latest block, the status of its status line (0 when none was read), and whether it
    // is the final response's complete block.
    const std::string& block() const { return block_; }
    std::string& block() { return block_; }
    int status() const { return status_; }
    bool complete() const { return blockEnded_ && !nextResponseMayFollow_; }

private:
    bool following_ = false;
    std::string block_;
    bool blockEnded_ = false;
    bool nextResponseMayFollow_ = false;  // the ended block was interim or a followed redirect
    int status_ = 0;
    bool hasLocation_ = false;  // the latest block has a Location line
};

// One header line of a block: its name as written, and everything after its first colon.
struct HeaderField {
    std::string_view name;
    std::string_view value;
};

// The header lines of a block as HeaderBlocks keeps it (lines ended by CR LF or LF), in order.
// The first line is the status line and no header; a line without a colon is none either.
std::vector<HeaderField> headerFields(std::string_view block);

// The value of the block's first line named `name` (ASCII letter case ignored), as written
// after the colon; none when no line has that name.
std::optional<std::string_view> findHeader(std::string_view block, std::string_view name);

// The name=value pairs of the block's Set-Cookie lines (name in any case), in order, as
// SetCookiePair (net/cookies.h) reads each value.
std::vector<std::string_view> setCookiePairs(std::string_view block);

}  // namespace arlo::net
