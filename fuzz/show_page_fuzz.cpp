// The show page parser on untrusted pages. Id and duration are what a plain reading of the
// page finds; the sprite sheets' addresses built from the id stay on the picture host, and the
// frame count stays within what the duration allows.
#include <string>

#include "fuzz_support.h"
#include "net/url_parts.h"
#include "preview/slide_preview.h"
#include "text/numbers.h"

using arlo::fuzz::require;

namespace {

std::string plainBetween(std::string_view page, std::string_view open, std::string_view close) {
    const auto at = page.find(open);
    if (at == std::string_view::npos) {
        return {};
    }
    const auto end = page.find(close, at + open.size());
    return end == std::string_view::npos
               ? std::string()
               : std::string(page.substr(at + open.size(), end - at - open.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const arlo::preview::ShowInfo info = arlo::preview::parseShowPage(page);
    require(info.showId == plainBetween(page, "{\"id\":", ","), "the id as written");
    require(info.duration == arlo::text::parseInt(plainBetween(page, "\"duration\":", ",")),
            "the duration as written");
    const int frames = arlo::preview::expectedFrameCount(info.duration);
    require(frames <= std::max(info.duration / 6, 0) &&
                (frames > 0 || !arlo::preview::previewSucceeded(0, frames)),
            "frames fit the duration");
    for (const int sheet : {0, 9}) {
        const std::string address =
            "http://s1.pictures.invalid" + arlo::preview::spriteSheetPath(info.showId, sheet);
        require(arlo::net::UrlHost(address, true) == "s1.pictures.invalid" &&
                    arlo::net::UrlPath(address).starts_with("/0/"),
                "a sheet is fetched from the picture host");
    }
    return 0;
}
