#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "standin/server.h"

// The services the stand-in answers for. Each remote service of the program registers its
// routes from a file of its own in services/; add a declaration here and a call in
// addAllServices when adding one.
namespace arlo::standin {

// Endpoints for testing HTTP clients, on every host under /test/:
//   /test/echo                      the request exactly as received, as the body
//   /test/body?hex=..               the given bytes as the body
//   /test/set-cookie?c=..&c=..      one Set-Cookie line per c (its value taken as is)
//   /test/redirect?status=302&to=..[&c=..]   a redirect to `to` (301, 302, 303, 307, 308)
//   /test/loop                      a redirect to itself
//   /test/huge-headers?size=N[&to=..][&c=..] an N-byte header line before Location/Set-Cookie
//   /test/stall[?after=headers]     silence (or headers and part of the body, then silence)
//   /test/cut-off                   headers and part of the body, then the connection closes
//   /test/big-body?size=N           an N-byte body
//   /test/no-length?size=N          an N-byte body without Content-Length, ended by closing
void addTestEndpoints(Server& server);

// The web-analytics counter of the usage ping: GET /stat.htm on the counter host.
void addAnalyticsCounter(Server& server);

// PPTV: show pages on the web host (/show/<code>.html, with {"id":..., and "duration":...,)
// and 10 x 10 sprite sheets on the preview-picture host (/0/<id>_6_10x10_<k>_720.jpg), each
// tile showing its frame number. A code "test-<seconds>[-<width>x<height>][-bad<k>]" picks
// the duration, the sheets' size (1600 x 900 otherwise) and a sheet that will not decode;
// "test-<seconds>-crafted<n>" has crafted picture kCraftedPictures[n] for every sheet.
void addPptvShows(Server& server);

// The cover-picture host: a 160 x 90 JPEG showing the episode number at the path of every
// Mandarin episode's thumbnail address, and each crafted picture at /crafted/<name>
// (crafted_pictures.h).
void addCoverPictures(Server& server);

// What the update notice and the hosting space's download listing hold.
struct ReleaseOffer {
    std::string notice;         // the notice page, sent as it is (UTF-8)
    std::string listing;        // the download listing, sent in GBK
    bool noticeStalls = false;  // the notice page never answers
};

// A notice page with the two fields "版本=[..];" and "更新说明=[..];", and "签名=[..];" when a
// signature is given.
std::string updateNoticePage(std::string_view version, std::string_view notes,
                             std::string_view signature = {});
// One "<li>" entry of a download listing, and a listing made of such entries.
std::string listingEntry(std::string_view version, std::string_view address);
std::string downloadListingPage(const std::vector<std::string>& entries);
// Where the stand-in's listing says the executable of `version` is.
std::string downloadAddressFor(std::string_view version);
// A notice for `version` (two note lines, an escaped ampersand) and a listing with the
// entries of 1.1 and of `version`.
ReleaseOffer releaseOfferFor(std::string_view version);

// The update notice and the hosting space: the notice page at the update notice address; the
// space's home page, which links the endpoint with the space's token; the endpoint, whose GET
// sets a session cookie and whose POST of the listing form returns the listing only when that
// cookie comes back (an error page otherwise). It starts offering version 1.1.
void addReleaseOffer(Server& server);
// Replaces what `server`'s notice and listing hold.
void setReleaseOffer(Server& server, ReleaseOffer offer);
// The token in `server`'s hosting-space home page.
std::string hostingSpaceToken(const Server& server);
// The hosting-space session whose cookies `request` carries back (the endpoint's session
// cookie and the space cookie); empty when it carries none the endpoint handed out.
std::string hostingSessionOf(const Server& server, const Request& request);
// POSTs to the endpoint with another form than the listing's go to `handler`.
void setHostingFormHandler(Server& server, Handler handler);

// The hosting space's guestbook. The captcha address (captcha prefix, account name, "ly")
// serves each session a 100 x 35 JPEG of a four-digit code, a new code per picture, and an
// error page to a request without a session. The endpoint's guestbook form
// ("Yz0=lytj&Yz1=n1&Yz2=" nickname "&Yz3=" text "&Yz4=" code, GBK, percent-encoded) is
// answered in GBK: a page that shows the message when it comes within a session with the
// code of that session's latest picture, the captcha refusal "验证码不正确,请重新输入" when
// the code is wrong (a code serves one attempt), an error page otherwise.
struct GuestbookMessage {
    std::string nickname;  // Yz2, decoded
    std::string text;      // Yz3, decoded: nickname, contact, "：" and the message
};
void addGuestbook(Server& server);
// From now on the captcha address serves `picture` instead of a drawn code (empty: the drawn
// code again).
void setGuestbookCaptchaPicture(Server& server, std::string picture);
// The code the latest captcha picture shows; empty before the first.
std::string latestGuestbookCaptcha(const Server& server);
// The messages accepted so far, decoded, in order.
std::vector<GuestbookMessage> guestbookMessages(const Server& server);
// Called (on a connection thread) with each message as it is accepted.
void onGuestbookMessage(Server& server, std::function<void(const GuestbookMessage&)> listener);

// The video sites' player files on the player hosts, at every player path of the Player page's
// templates: a small Flash movie whose moving square shows it plays and whose text shows the
// play id (id, vid or definitionID). Allowed across origins. The play ids "test-404",
// "test-html" and "test-no-cors" get a 404, an HTML page, and a movie without the
// cross-origin header; "test-silent" no answer at all, "test-stall" a third of the movie and
// then silence, "test-trickle" the movie one byte every 100 ms. The play id "test-hostile" gets the
// movie of a player that turns on the page (kHostile...): its first frame asks for a javascript:
// address in the page's own window, whose script reads "secret.txt" beside the page and sends it to
// kHostileCollectHost and opens a frame of kHostileFrameHost, and it loads a movie of
// kHostileMovieHost into level 1.
void addFlashPlayers(Server& server);
inline constexpr std::string_view kHostileCollectHost = "collect.arlohostile.invalid";
inline constexpr std::string_view kHostileFrameHost = "frames.arlohostile.invalid";
inline constexpr std::string_view kHostileMovieHost = "movies.arlohostile.invalid";

// What the hosting space serves at every download address (downloadAddressFor), for GET and
// HEAD: the executable, or one of these faults instead.
enum class DownloadFault {
    None,
    NotFound,  // 404
    NoLength,  // no Content-Length; the body runs until the connection closes
    Size999,   // the first 999 bytes, announced as 999
    CutShort,  // the full length announced, half of it sent, then the connection closes
    HtmlPage,  // an HTML error page of some 4 KB, with 200
    Stall,     // the full length announced, a third sent, then silence (HEAD answers)
};

struct ReleaseDownload {
    std::string executable;  // the file's bytes; empty: every address answers 404
    DownloadFault fault = DownloadFault::None;
    // How many GETs get the fault before the file is served; -1: all of them.
    int faultyAnswers = -1;
    // The size probe (HEAD) is answered as if there were no fault.
    bool probeAnswersNormally = false;
    // The first GET is answered only once releaseHeldDownload is called (10 s at most).
    bool holdFirstDownload = false;
};

void addReleaseDownload(Server& server);
// Replaces what `server`'s download addresses serve, and starts counting faults afresh.
void setReleaseDownload(Server& server, ReleaseDownload download);
// Lets the held first GET be answered.
void releaseHeldDownload(Server& server);

// Every service above.
void addAllServices(Server& server);

}  // namespace arlo::standin
