#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "online/hosting_space.h"

// Finds out whether a newer release is published and where it can be downloaded: the update
// notice names the latest version and its notes, the hosting space's download listing holds
// the address of each published executable. Every failure on the way is silent: it simply
// means that no update is offered.
namespace arlo::online {

// The program's version and the newest release, as one value: filled by the check, then
// handed whole to the Update window.
struct VersionState {
    std::string current;          // the installed version (Settings file)
    std::string latest;           // from the update notice
    std::string releaseNotes;     // from the update notice; "；" marks a line break
    std::string downloadAddress;  // from the download listing
    std::string signature = {};   // from the update notice: base64 signature of the file

    bool operator==(const VersionState&) const = default;
};

// What the update notice may hold. The page is fetched up to kMaxNoticeBytes (a larger one is
// no notice at all); its notes are cut to kMaxReleaseNotesBytes at a character boundary, and
// a version text longer than kMaxVersionBytes is no version (nothing is offered).
inline constexpr std::size_t kMaxNoticeBytes = std::size_t{1} << 20;
inline constexpr std::size_t kMaxReleaseNotesBytes = std::size_t{64} << 10;
inline constexpr std::size_t kMaxVersionBytes = 32;

// The notice's text with every "&amp;" turned into "&", whatever the letters' case.
std::string unescapeAmpersands(std::string_view text);

// Reads the latest version, the release notes and the file's signature from the notice's
// text (already unescaped, valid UTF-8), within the limits above. All replace the previous
// values, also when the notice lacks them.
void readUpdateNotice(std::string_view notice, VersionState& state);

// True when the latest version is newer than the current one, both read as decimal numbers
// the way atof reads them (so "1.10" is older than "1.9", and an empty text is 0).
bool offersNewerVersion(const VersionState& state);

// The "<li>" entries of a download listing, trimmed of ASCII and full-width spaces, in
// document order. The markers match whatever their letters' case; the collection ends at the
// first entry that holds nothing but spaces, or when a marker is missing.
std::vector<std::string> listingEntries(std::string_view listing);

// Sets the download address from the first entry whose "<font>" text equals `latest` byte
// for byte; later entries are not looked at. Without such an entry it stays as it was.
void takeDownloadAddress(const std::vector<std::string>& entries, VersionState& state);

// True for an address the desktop may open in a browser for the manual download: "http://"
// or "https://" (any letter case) and a host, without control characters. Anything else a
// listing may name (a local file, a network share, a script) is not opened.
bool isWebAddress(std::string_view address);

// Looks the latest version up in the hosting space's download listing: the space's home page
// gives the endpoint token, a GET of the endpoint gives the session cookies, and a POST with
// them returns the listing. Blocks; the token and cookies live for this one lookup.
void findDownloadAddress(VersionState& state, const StopFlag* stop = nullptr);

// The whole check: fetches the notice, compares the versions and, for a newer one, finds its
// download address. True when the user is to be offered the update (a newer version with a
// download address). `state.current` is read; the other fields are rewritten. Blocks: run it
// on a thread of its own.
bool checkForUpdate(VersionState& state, const StopFlag* stop = nullptr);

}  // namespace arlo::online
