// The guestbook reply, an untrusted GBK page (fields: the message, the reply). The verdict
// agrees with a search by whole GBK characters (text::findText): the reply echoing the
// message is an acceptance, the refusal text a wrong captcha. The form for the message
// decodes back to what was typed.
#include <string>

#include "fuzz_support.h"
#include "online/guestbook.h"
#include "text/gbk.h"
#include "text/markers.h"

using arlo::fuzz::require;
namespace online = arlo::online;
namespace text = arlo::text;

namespace {

bool contains(std::string_view hay, std::string_view needle) {
    return text::findText(hay, needle, 1, text::Case::Sensitive, text::Charset::Gbk) > 0;
}

std::string percentDecoded(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool escape = field[i] == '%' && i + 2 < field.size();
        out += escape
                   ? static_cast<char>(std::stoi(std::string(field.substr(i + 1, 2)), nullptr, 16))
                   : field[i];
        i += escape ? 2 : 0;
    }
    return out;
}

// The message as the form sends it: every line break (CR LF, a lone CR, a lone LF) one CR LF.
std::string asSent(std::string_view typed) {
    std::string lf;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const bool crlf = typed[i] == '\r' && i + 1 < typed.size() && typed[i + 1] == '\n';
        lf += typed[i] == '\r' ? '\n' : typed[i];
        i += crlf ? 1 : 0;
    }
    std::string out;
    for (const char c : lf) {
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto f = arlo::fuzz::fields(data, size, 2);
    const std::string_view message = f[0].substr(0, 256);
    const auto form =
        online::encodeGuestbookForm({.message = std::string(message), .captcha = "a&b"});
    const std::string gbk = form ? form->messageGbk : std::string(message);
    if (form) {
        require(text::gbkToUtf8(gbk) == asSent(message), "the message goes as typed");
        const std::string& body = form->body;
        const auto yz3 = body.find("&Yz3="), yz4 = body.find("&Yz4=");
        require(percentDecoded(body.substr(yz3 + 5, yz4 - yz3 - 5)).ends_with(gbk) &&
                    percentDecoded(body.substr(yz4 + 5)) == "a&b",
                "the form decodes back to what was typed");
    }
    const std::string_view reply = f[1].substr(0, f[1].find('\0'));
    const auto verdict = online::judgeGuestbookReply(f[1], gbk);
    const std::string refusal = *text::utf8ToGbk(online::kWrongCaptchaText);
    const auto expected = contains(reply, gbk)       ? online::GuestbookOutcome::Accepted
                          : contains(reply, refusal) ? online::GuestbookOutcome::WrongCaptcha
                                                     : online::GuestbookOutcome::Failed;
    require(verdict == expected, "the verdict agrees with the search by characters");
    return 0;
}
