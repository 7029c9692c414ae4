#include <cstdlib>
#include <string>

#include "standin/services.h"

namespace arlo::standin {
namespace {

std::uint64_t sizeParameter(const Request& request) {
    return std::strtoull(request.queryValue("size").c_str(), nullptr, 10);
}

void addCookies(const Request& request, Response& response) {
    for (const std::string& line : request.queryValues("c")) {
        response.headers.push_back({"Set-Cookie", line});
    }
}

std::string fromHex(std::string_view hex) {
    auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(digit(hex[i]) * 16 + digit(hex[i + 1]));
    }
    return out;
}

}  // namespace

void addTestEndpoints(Server& server) {
    server.route("", "/test/echo", [](const Request& request) {
        Response r;
        r.headers.push_back({"Content-Type", "application/octet-stream"});
        r.body = request.raw;
        return r;
    });
    server.route("", "/test/body", [](const Request& request) {
        Response r;
        r.headers.push_back({"Content-Type", "text/html"});
        r.body = fromHex(request.queryValue("hex"));
        return r;
    });
    server.route("", "/test/set-cookie", [](const Request& request) {
        Response r;
        addCookies(request, r);
        r.body = "cookies set";
        return r;
    });
    server.route("", "/test/redirect", [](const Request& request) {
        Response r;
        const int status = std::atoi(request.queryValue("status").c_str());
        r.status = status >= 300 && status < 400 ? status : 302;
        r.headers.push_back({"Location", request.queryValue("to")});
        addCookies(request, r);
        r.body = "redirect body";
        return r;
    });
    server.route("", "/test/loop", [](const Request&) {
        Response r;
        r.status = 302;
        r.headers.push_back({"Location", "/test/loop"});
        return r;
    });
    server.route("", "/test/huge-headers", [](const Request& request) {
        Response r;
        r.headers.push_back({"X-Filler", std::string(sizeParameter(request), 'f')});
        if (const std::string to = request.queryValue("to"); !to.empty()) {
            r.headers.push_back({"Location", to});
        }
        addCookies(request, r);
        r.body = "huge headers";
        return r;
    });
    server.route("", "/test/stall", [](const Request& request) {
        Response r;
        if (request.queryValue("after") == "headers") {
            r.body = "partial";
            r.contentLength = 1000;
        } else {
            r.silent = true;
        }
        r.hangAfterSending = true;
        return r;
    });
    server.route("", "/test/trickle", [](const Request& request) {
        // `size` bytes, one per `ms` milliseconds (default 500: two bytes a second).
        Response r;
        r.fillerBytes = sizeParameter(request);
        const long ms = std::atol(request.queryValue("ms").c_str());
        r.trickle = std::chrono::milliseconds(ms > 0 ? ms : 500);
        return r;
    });
    server.route("", "/test/cut-off", [](const Request&) {
        Response r;
        r.body = "partial";
        r.contentLength = 1000;
        return r;
    });
    server.route("", "/test/no-length", [](const Request& request) {
        // The body runs until the connection closes.
        Response r;
        r.raw = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" +
                std::string(sizeParameter(request), 'x');
        return r;
    });
    server.route("", "/test/big-body", [](const Request& request) {
        Response r;
        r.fillerBytes = sizeParameter(request);
        return r;
    });
}

}  // namespace arlo::standin
