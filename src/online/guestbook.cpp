#include "online/guestbook.h"

#include <vector>

#include "deploy/deploy.h"
#include "net/cancel.h"
#include "text/gbk.h"

namespace arlo::online {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendPercentByte(std::string& out, unsigned char byte) {
    out += '%';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

bool mayStandAsItIs(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// True when `needle` occurs in GBK `hay` starting at a character (never at a trail byte), as
// text::findText finds it, in time linear in both sizes: the byte matches come from one
// Knuth-Morris-Pratt pass, and the character starts are walked alongside it.
bool containsGbkText(std::string_view hay, std::string_view needle) {
    if (needle.empty() || needle.size() > hay.size()) {
        return false;
    }
    // border[i]: the length of the longest proper prefix of needle[0..i] that also ends it.
    std::vector<std::size_t> border(needle.size(), 0);
    for (std::size_t i = 1, k = 0; i < needle.size(); ++i) {
        while (k > 0 && needle[i] != needle[k]) {
            k = border[k - 1];
        }
        k += needle[i] == needle[k] ? 1 : 0;
        border[i] = k;
    }
    std::size_t charStart = 0;  // the first character start not before the last match
    for (std::size_t i = 0, matched = 0; i < hay.size(); ++i) {
        while (matched > 0 && hay[i] != needle[matched]) {
            matched = border[matched - 1];
        }
        matched += hay[i] == needle[matched] ? 1 : 0;
        if (matched < needle.size()) {
            continue;
        }
        const std::size_t at = i + 1 - needle.size();
        while (charStart < at) {
            charStart += text::gbkCharLength(hay, charStart);
        }
        if (charStart == at) {
            return true;
        }
        matched = border[matched - 1];
    }
    return false;
}

// The line breaks of `text` as the service's own form sends them: a lone CR, a lone LF and
// CR LF each become one CR LF.
std::string withCrLfBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            out += text[i];
            continue;
        }
        out += "\r\n";
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
    }
    return out;
}

}  // namespace

std::string percentEncodeEveryByte(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        appendPercentByte(out, static_cast<unsigned char>(c));
    }
    return out;
}

std::string percentEncodeReserved(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (mayStandAsItIs(byte)) {
            out += c;
        } else {
            appendPercentByte(out, byte);
        }
    }
    return out;
}

Result<EncodedGuestbookForm, GuestbookField> encodeGuestbookForm(const GuestbookForm& form) {
    const std::optional<std::string> message = text::utf8ToGbk(withCrLfBreaks(form.message));
    const std::optional<std::string> nickname =
        text::utf8ToGbk(form.nickname.empty() ? std::string("匿名") : form.nickname);
    const std::optional<std::string> contact = text::utf8ToGbk(form.contact);
    const std::optional<std::string> captcha = text::utf8ToGbk(form.captcha);
    if (!message) {
        return fail(GuestbookField::Message);
    }
    if (!nickname) {
        return fail(GuestbookField::Nickname);
    }
    if (!contact) {
        return fail(GuestbookField::Contact);
    }
    if (!captcha) {
        return fail(GuestbookField::Captcha);
    }
    EncodedGuestbookForm encoded;
    std::string signed_ = *nickname;
    if (!contact->empty()) {
        signed_ += *text::utf8ToGbk("（") + *contact + *text::utf8ToGbk("）");
    }
    signed_ += *text::utf8ToGbk("：") + *message;
    encoded.body = "Yz0=lytj&Yz1=n1&Yz2=" + percentEncodeEveryByte(*nickname) +
                   "&Yz3=" + percentEncodeEveryByte(signed_) +
                   "&Yz4=" + percentEncodeReserved(*captcha);
    encoded.messageGbk = *message;
    return encoded;
}

GuestbookOutcome judgeGuestbookReply(std::string_view reply, std::string_view messageGbk) {
    const std::string_view text = reply.substr(0, reply.find('\0'));
    if (containsGbkText(text, messageGbk)) {
        return GuestbookOutcome::Accepted;
    }
    const std::string refusal = text::utf8ToGbk(kWrongCaptchaText).value_or(std::string());
    if (containsGbkText(text, refusal)) {
        return GuestbookOutcome::WrongCaptcha;
    }
    return GuestbookOutcome::Failed;
}

void GuestbookClient::openSession() {
    post([this](const base::StopSignal&) { session_ = openHostingSession(); });
}

void GuestbookClient::loadCaptcha(std::function<void(net::Bytes)> shown) {
    post([this, shown = std::move(shown)](const base::StopSignal& stop) {
        const std::string address = std::string(deploy::kGuestbookCaptchaPrefix) +
                                    std::string(deploy::kHostingAccount) + "ly";
        net::PageResult result = net::Fetch({.url = address, .cookies = session_.cookieJar});
        session_.cookieJar = result.cookieJar;
        if (!stop.stopped()) {
            shown(std::move(result.body));
        }
    });
}

void GuestbookClient::submit(EncodedGuestbookForm form,
                             std::function<void(GuestbookOutcome)> done) {
    post([this, form = std::move(form), done = std::move(done)](const base::StopSignal& stop) {
        net::PageResult result = net::Fetch({
            .url = session_.endpoint(),
            .method = net::Method::Post,
            .body = form.body,
            .cookies = session_.cookieJar,
        });
        session_.cookieJar = result.cookieJar;
        if (!stop.stopped()) {
            done(judgeGuestbookReply(result.body, form.messageGbk));
        }
    });
}

void GuestbookClient::post(std::function<void(const base::StopSignal&)> job) {
    worker_.post([job = std::move(job)](const base::StopSignal& stop) {
        // Every request of the job ends at once when the client goes.
        net::RequestCancel closing;
        const base::StopSignal::Hook cut = stop.onStop([&closing] { closing.cancel(); });
        const net::CancelScope scope(closing);
        job(stop);
    });
}

}  // namespace arlo::online
