#include <charconv>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>

#include "deploy/deploy.h"
#include "standin/crafted_pictures.h"
#include "standin/picture_canvas.h"
#include "standin/services.h"

namespace arlo::standin {
namespace {

// The show behind a code. A code "test-<seconds>[-<width>x<height>][-bad<sheet>][-crafted<n>]"
// asks for that duration, sheet size, an undecodable sheet and crafted sheets; any other code (the
// catalogue's are letters and digits) is an episode of 23 to 27 minutes with 1600 x 900 sheets. The
// sheet size travels in the show id ("<digits>s<width>x<height>"), so a sheet can be served without
// its page.
struct Show {
    std::string id;
    long duration = 0;
};

bool readNumber(std::string_view& text, long& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || value < 0) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(result.ptr - text.data()));
    return true;
}

unsigned long hashOf(std::string_view text) {
    unsigned long h = 2166136261u;
    for (const char c : text) {
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return h;
}

Show showFor(std::string_view code) {
    Show show;
    const unsigned long number = 10000000 + hashOf(code) % 89999999;
    show.id = std::to_string(number);
    std::string_view rest = code;
    long duration = 0;
    if (rest.starts_with("test-") && (rest.remove_prefix(5), readNumber(rest, duration))) {
        show.duration = duration;
        long width = 0, height = 0, broken = 0;
        std::string_view size = rest;
        if (size.starts_with('-') && (size.remove_prefix(1), readNumber(size, width)) &&
            size.starts_with('x') && (size.remove_prefix(1), readNumber(size, height))) {
            show.id += "s" + std::to_string(width) + "x" + std::to_string(height);
            rest = size;
        }
        if (rest.starts_with("-bad") && (rest.remove_prefix(4), readNumber(rest, broken))) {
            show.id += "b" + std::to_string(broken);
        }
        if (long crafted = 0;
            rest.starts_with("-crafted") && (rest.remove_prefix(8), readNumber(rest, crafted))) {
            show.id += "c" + std::to_string(crafted);
        }
        return show;
    }
    show.duration = 1380 + static_cast<long>(hashOf(code) % 241);
    return show;
}

std::string showPage(std::string_view code, const Show& show) {
    // The fields the program reads sit inside a larger configuration object, with look-alike
    // keys around them.
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>雾港侦探阿洛 国语版</title>\n"
        "<script>\nvar webcfg = {\"id\":" +
        show.id + ",\"code\":\"" + std::string(code) +
        "\",\"title\":\"雾港侦探阿洛\",\"Duration\":0,\"pv\":{\"durationText\":\"约" +
        std::to_string(show.duration / 60) +
        "分钟\"},\"duration\":" + std::to_string(show.duration) +
        ",\"vt\":3};\n</script>\n</head><body></body></html>\n";
    return page;
}

struct SheetRequest {
    std::string id;
    long sheet = 0;
    long width = 1600;
    long height = 900;
    long broken = -1;
    long crafted = -1;  // every sheet is kCraftedPictures[crafted]
};

// "/0/<id>_6_10x10_<k>_720.jpg"
bool parseSheetPath(std::string_view path, SheetRequest& request) {
    constexpr std::string_view kPrefix = "/0/", kSuffix = "_720.jpg", kGrid = "_6_10x10_";
    if (!path.starts_with(kPrefix) || !path.ends_with(kSuffix)) {
        return false;
    }
    path = path.substr(kPrefix.size(), path.size() - kPrefix.size() - kSuffix.size());
    const auto grid = path.rfind(kGrid);
    if (grid == std::string_view::npos) {
        return false;
    }
    std::string_view sheet = path.substr(grid + kGrid.size());
    if (!readNumber(sheet, request.sheet) || !sheet.empty() || request.sheet > 9) {
        return false;
    }
    std::string_view id = path.substr(0, grid);
    request.id = std::string(id);
    long digits = 0;
    if (!readNumber(id, digits)) {
        return false;
    }
    if (id.starts_with('s')) {
        id.remove_prefix(1);
        if (!readNumber(id, request.width) || !id.starts_with('x') ||
            (id.remove_prefix(1), !readNumber(id, request.height))) {
            return false;
        }
    }
    if (id.starts_with('b')) {
        id.remove_prefix(1);
        if (!readNumber(id, request.broken)) {
            return false;
        }
    }
    if (id.starts_with('c')) {
        id.remove_prefix(1);
        if (!readNumber(id, request.crafted) ||
            request.crafted >= static_cast<long>(kCraftedPictures.size())) {
            return false;
        }
    }
    return id.empty() && request.width >= 10 && request.height >= 10 && request.width <= 8000 &&
           request.height <= 8000;
}

// Tile (column i, row j) of sheet k shows frame k x 100 + j x 10 + i + 1 on a colour of its
// own; pixels right of and below the last whole tile stay grey.
std::string drawSheet(const SheetRequest& request) {
    Canvas canvas(static_cast<int>(request.width), static_cast<int>(request.height),
                  Rgb{128, 128, 128});
    const double cw = request.width / 10.0, ch = request.height / 10.0;
    for (int j = 0; j < 10; ++j) {
        for (int i = 0; i < 10; ++i) {
            const long frame = request.sheet * 100 + j * 10 + i + 1;
            const int left = static_cast<int>(i * cw), top = static_cast<int>(j * ch);
            const int width = static_cast<int>(cw), height = static_cast<int>(ch);
            const Rgb background = colourFor(frame);
            canvas.fillRect(left, top, width, height, background);
            canvas.drawNumber(left, top, width, height, frame, inkOn(background));
        }
    }
    return canvas.jpeg();
}

Response jpegResponse(std::string body) {
    Response r;
    r.headers.push_back({"Content-Type", "image/jpeg"});
    r.body = std::move(body);
    return r;
}

}  // namespace

void addPptvShows(Server& server) {
    server.route(hostOf(deploy::kPptvWebHost), "/show/*", [](const Request& request) {
        constexpr std::string_view kPrefix = "/show/", kSuffix = ".html";
        std::string_view path = request.path;
        Response r;
        if (!path.ends_with(kSuffix) || path.size() <= kPrefix.size() + kSuffix.size()) {
            r.status = 404;
            r.body = "no such show";
            return r;
        }
        const std::string_view code =
            path.substr(kPrefix.size(), path.size() - kPrefix.size() - kSuffix.size());
        r.headers.push_back({"Content-Type", "text/html; charset=utf-8"});
        r.body = showPage(code, showFor(code));
        return r;
    });

    // Drawing and encoding a sheet takes a while; each is drawn once per server. What a
    // sheet shows depends on its number and size only, so every show shares one drawing of
    // each: a long run through many shows keeps a handful of sheets, not three per show.
    struct Cache {
        std::mutex mutex;
        std::map<std::tuple<long, long, long>, std::string> sheets;
    };
    auto cache = std::make_shared<Cache>();
    server.route(hostOf(deploy::kPptvPictureHost), "/0/*", [cache](const Request& request) {
        SheetRequest sheet;
        if (!parseSheetPath(request.path, sheet)) {
            Response r;
            r.status = 404;
            r.body = "no such sheet";
            return r;
        }
        if (sheet.crafted >= 0) {
            return jpegResponse(
                craftedPicture(kCraftedPictures[static_cast<std::size_t>(sheet.crafted)]));
        }
        if (sheet.broken == sheet.sheet) {
            return jpegResponse("\xFF\xD8\xFF\xE0 this sheet is damaged");
        }
        std::lock_guard lock(cache->mutex);
        std::string& jpeg = cache->sheets[{sheet.sheet, sheet.width, sheet.height}];
        if (jpeg.empty()) {
            jpeg = drawSheet(sheet);
        }
        return jpegResponse(jpeg);
    });
}

}  // namespace arlo::standin
