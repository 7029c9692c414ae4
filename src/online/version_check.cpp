#include "online/version_check.h"

#include <algorithm>

#include "deploy/deploy.h"
#include "net/cancel.h"
#include "net/page_fetcher.h"
#include "text/ascii.h"
#include "text/markers.h"
#include "text/numbers.h"
#include "text/trim.h"

namespace arlo::online {
namespace {

constexpr std::string_view kAmpersandEntity = "&amp;";

// `text` (valid UTF-8) cut to at most `limit` bytes, never inside a character.
void cutAtCharacter(std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
}

}  // namespace

std::string unescapeAmpersands(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    long from = 1;
    for (;;) {
        const long at = text::findText(text, kAmpersandEntity, from, text::Case::IgnoreAscii);
        if (at < 0) {
            break;
        }
        out.append(
            text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(at - from)));
        out.push_back('&');
        from = at + static_cast<long>(kAmpersandEntity.size());
    }
    if (static_cast<std::size_t>(from - 1) < text.size()) {
        out.append(text.substr(static_cast<std::size_t>(from - 1)));
    }
    return out;
}

void readUpdateNotice(std::string_view notice, VersionState& state) {
    state.latest = text::textBetween(notice, "版本=[", "];");
    if (state.latest.size() > kMaxVersionBytes) {
        state.latest.clear();
    }
    state.releaseNotes = text::textBetween(notice, "更新说明=[", "];");
    cutAtCharacter(state.releaseNotes, kMaxReleaseNotesBytes);
    state.signature = text::textBetween(notice, "签名=[", "];");
}

bool offersNewerVersion(const VersionState& state) {
    return text::isNewerVersion(text::parseReal(state.latest), text::parseReal(state.current));
}

std::vector<std::string> listingEntries(std::string_view listing) {
    constexpr std::string_view open = "<li>";
    constexpr std::string_view close = "</li>";
    std::vector<std::string> entries;
    long from = 1;
    for (;;) {
        const long openAt = text::findText(listing, open, from, text::Case::IgnoreAscii);
        if (openAt < 0) {
            break;
        }
        const long inside = openAt + static_cast<long>(open.size());
        const long closeAt = text::findText(listing, close, inside, text::Case::IgnoreAscii);
        if (closeAt < 0) {
            break;
        }
        const std::string_view entry = text::trimSpaces(listing.substr(
            static_cast<std::size_t>(inside - 1), static_cast<std::size_t>(closeAt - inside)));
        if (entry.empty()) {
            break;
        }
        entries.emplace_back(entry);
        from = closeAt;
    }
    return entries;
}

void takeDownloadAddress(const std::vector<std::string>& entries, VersionState& state) {
    for (const std::string& entry : entries) {
        if (text::textBetween(entry, "<font>", "</font>") == state.latest) {
            state.downloadAddress = text::textBetween(entry, "/note/fd.htm?", "'");
            return;
        }
    }
}

bool isWebAddress(std::string_view address) {
    const std::string lower = text::toLowerAscii(address.substr(0, 8));
    const std::size_t scheme = lower.starts_with("http://")    ? 7
                               : lower.starts_with("https://") ? 8
                                                               : 0;
    const std::string_view rest = address.substr(scheme);
    const bool hasHost = scheme != 0 && !rest.empty() && rest.find_first_of("/?#") != 0;
    const auto control = [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) == 0x7F;
    };
    return hasHost && std::none_of(address.begin(), address.end(), control);
}

void findDownloadAddress(VersionState& state, const StopFlag* stop) {
    // A request under way ends as soon as the check is no longer wanted.
    net::RequestCancel unused;
    const net::CancelScope scope(unused, [stop] { return isStopped(stop); });
    const HostingSession session = openHostingSession(stop);
    if (isStopped(stop)) {
        return;
    }
    const net::PageResult listing = net::Fetch({
        .url = session.endpoint(),
        .method = net::Method::Post,
        .body = "Yz0=dq&Yz1=" + std::string(deploy::kDownloadDirectoryId) + "&Yz2=&Yz3=&Yz4=",
        .cookies = session.cookieJar,
    });
    takeDownloadAddress(listingEntries(net::gbkPageText(listing.body)), state);
}

bool checkForUpdate(VersionState& state, const StopFlag* stop) {
    net::RequestCancel unused;
    const net::CancelScope scope(unused, [stop] { return isStopped(stop); });
    const net::PageResult page = net::Fetch({
        .url = std::string(deploy::kUpdateNoticeAddress),
        .maxBodyBytes = kMaxNoticeBytes,
    });
    const std::string notice = unescapeAmpersands(net::utf8PageText(page.body));
    readUpdateNotice(notice, state);
    if (!offersNewerVersion(state) || isStopped(stop)) {
        return false;
    }
    findDownloadAddress(state, stop);
    return !state.downloadAddress.empty() && !isStopped(stop);
}

}  // namespace arlo::online
