#include "net/header_blocks.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace arlo::net {
namespace {

// Whether a transfer's header lines, as libcurl hands them over, end in the final response's
// complete block: the fetcher and the request object both read their answers through it.
TEST(HeaderBlocks, theLastResponseIsCompleteOnlyWhenNothingElseMayFollow) {
    struct Row {
        const char* what;
        bool following;
        std::vector<const char*> lines;
        bool complete;
        int status;
    };
    const Row rows[] = {
        {"plain answer", true, {"HTTP/1.1 200 OK\r\n", "Content-Length: 2\r\n", "\r\n"}, true, 200},
        {"block not ended yet", true, {"HTTP/1.1 200 OK\r\n", "Content-Length: 2\r\n"}, false, 200},
        {"3xx without Location", true, {"HTTP/1.1 300 Multiple Choices\r\n", "\r\n"}, true, 300},
        {"redirect being followed",
         true,
         {"HTTP/1.1 302 Found\r\n", "location: /x\r\n", "\r\n"},
         false,
         302},
        {"redirect followed to its end",
         true,
         {"HTTP/1.1 302 Found\r\n", "Location: /x\r\n", "\r\n", "HTTP/1.1 200 OK\r\n", "\r\n"},
         true,
         200},
        {"redirect not followed",
         false,
         {"HTTP/1.1 302 Found\r\n", "Location: /x\r\n", "\r\n"},
         true,
         302},
        {"Content-Location is no Location",
         true,
         {"HTTP/1.1 301 Moved\r\n", "Content-Location: /x\r\n", "\r\n"},
         true,
         301},
        {"400 with Location",
         true,
         {"HTTP/1.1 400 Bad\r\n", "Location: /x\r\n", "\r\n"},
         true,
         400},
        {"interim answer", true, {"HTTP/1.1 100 Continue\r\n", "\r\n"}, false, 100},
        {"interim then final",
         false,
         {"HTTP/1.1 100 Continue\r\n", "\r\n", "HTTP/1.1 200 OK\r\n", "\r\n"},
         true,
         200},
        {"trailer after the block",
         false,
         {"HTTP/1.1 200 OK\r\n", "\r\n", "HTTP/1.1 500 Not a response\r\n"},
         true,
         200},
    };
    for (const Row& row : rows) {
        HeaderBlocks blocks(row.following);
        for (const char* line : row.lines) {
            blocks.take(line);
        }
        EXPECT_EQ(blocks.complete(), row.complete) << row.what;
        EXPECT_EQ(blocks.status(), row.status) << row.what;
    }
}

// Both clients read their answers' Location, cookies and named headers through one scan.
TEST(HeaderScan, fieldsAreFoundByTheirWholeNameInAnyCaseAfterTheStatusLine) {
    const std::string block =
        "HTTP/1.1 302 Location: /status\r\nContent-Location: /c\r\nlocation:  /first \r\n"
        "LOCATION: /second\r\nSet-Cookie: a=1 ; path=/\r\nX-Set-Cookie: no=1\r\n"
        "Trailer: Set-Cookie\r\nset-cookie:b=2\r\nno colon\r\n\r\n";
    struct Row {
        const char* name;
        std::optional<std::string_view> value;
    };
    const Row rows[] = {
        {"Location", "  /first "},       {"content-location", " /c"},
        {"SET-COOKIE", " a=1 ; path=/"}, {"HTTP/1.1 302 Location", std::nullopt},
        {"Cookie", std::nullopt},        {"no colon", std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(findHeader(block, row.name), row.value) << row.name;
    }
    EXPECT_EQ(findHeader("HTTP/1.1 200 OK\nA: 1\n\n", "a"), " 1");
    EXPECT_EQ(setCookiePairs(block), (std::vector<std::string_view>{"a=1", "b=2"}));
}

}  // namespace
}  // namespace arlo::net
