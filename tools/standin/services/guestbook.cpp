#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "deploy/deploy.h"
#include "standin/picture_canvas.h"
#include "standin/services.h"
#include "standin/services/hosting_pages.h"
#include "text/gbk.h"

namespace arlo::standin {
namespace {

// One server's guestbook: the code each session's latest captcha picture shows, and the
// messages taken.
struct Guestbook {
    std::mutex mutex;
    std::map<std::string, std::string> codes;  // session -> code
    std::string latestCode;
    std::vector<GuestbookMessage> messages;
    std::function<void(const GuestbookMessage&)> listener;
    std::string picture;  // served instead of the drawn code when not empty
    std::mt19937 random{std::random_device{}()};
};

std::mutex registryMutex;
std::map<const Server*, std::weak_ptr<Guestbook>>& registry() {
    static std::map<const Server*, std::weak_ptr<Guestbook>> guestbooks;
    return guestbooks;
}

std::shared_ptr<Guestbook> guestbookOf(const Server& server) {
    const std::lock_guard lock(registryMutex);
    const auto found = registry().find(&server);
    return found == registry().end() ? nullptr : found->second.lock();
}

// Four digits in colours of their own, each a little up or down, over a pale ground crossed
// by a few thin lines: easy to read for a person, and the test knows what it says.
std::string drawCaptcha(const std::string& code, std::mt19937& random) {
    Canvas canvas(100, 35, Rgb{238, 242, 230});
    std::uniform_int_distribution<int> across(0, 99);
    std::uniform_int_distribution<int> down(0, 34);
    std::uniform_int_distribution<int> shade(150, 215);
    for (int i = 0; i < 5; ++i) {
        const Rgb line{static_cast<unsigned char>(shade(random)),
                       static_cast<unsigned char>(shade(random)),
                       static_cast<unsigned char>(shade(random))};
        canvas.fillRect(across(random) / 2, down(random), 30 + across(random) / 2, 1, line);
    }
    std::uniform_int_distribution<int> jitter(-3, 3);
    for (std::size_t i = 0; i < code.size(); ++i) {
        const Rgb ink{static_cast<unsigned char>(shade(random) - 140),
                      static_cast<unsigned char>(shade(random) - 140),
                      static_cast<unsigned char>(shade(random) - 140)};
        // A box taller than the picture makes the digit as large as the cell's width allows.
        canvas.drawNumber(6 + 22 * static_cast<int>(i), -17 + jitter(random), 22, 70, code[i] - '0',
                          ink);
    }
    return canvas.jpeg();
}

// The form's fields, percent-decoded and read as GBK.
std::map<std::string, std::string> formFields(std::string_view body) {
    std::map<std::string, std::string> fields;
    while (!body.empty()) {
        const std::string_view pair = body.substr(0, body.find('&'));
        body.remove_prefix(std::min(body.size(), pair.size() + 1));
        const auto equals = pair.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string value = percentDecode(pair.substr(equals + 1));
        fields.emplace(std::string(pair.substr(0, equals)),
                       text::gbkToUtf8(value).value_or(text::gbkToUtf8Lossy(value)));
    }
    return fields;
}

// A message is shown on the board as posted.
Response messageBoard(const GuestbookMessage& message) {
    return hosting::gbkPage(
        "<html><head><title>留言板</title></head><body>\n<div class=\"ly\"><b>" + message.nickname +
        "</b>\n<p>" + message.text + "</p></div>\n</body></html>\n");
}

Response takeMessage(Server& server, Guestbook& book, const Request& request) {
    std::map<std::string, std::string> fields = formFields(request.body);
    if (fields["Yz0"] != "lytj" || fields["Yz1"] != "n1") {
        return hosting::sessionExpiredPage();
    }
    const std::string session = hostingSessionOf(server, request);
    if (session.empty()) {
        return hosting::sessionExpiredPage();
    }
    std::function<void(const GuestbookMessage&)> tell;
    GuestbookMessage message{fields["Yz2"], fields["Yz3"]};
    {
        const std::lock_guard lock(book.mutex);
        // A code serves one attempt.
        const auto code = book.codes.find(session);
        const bool right = code != book.codes.end() && code->second == fields["Yz4"];
        if (code != book.codes.end()) {
            book.codes.erase(code);
        }
        if (!right) {
            return hosting::gbkPage(
                "<html><head><title>留言</title></head><body><script>"
                "alert('验证码不正确,请重新输入');history.go(-1);</script></body></html>\n");
        }
        book.messages.push_back(message);
        tell = book.listener;
    }
    if (tell) {
        tell(message);
    }
    return messageBoard(message);
}

}  // namespace

void addGuestbook(Server& server) {
    auto book = std::make_shared<Guestbook>();
    {
        const std::lock_guard lock(registryMutex);
        registry()[&server] = book;
    }
    const std::string captchaAddress = std::string(deploy::kGuestbookCaptchaPrefix);
    const std::string captchaPath =
        captchaAddress.substr(captchaAddress.find('/', captchaAddress.find("://") + 3));
    const std::string account = std::string(deploy::kHostingAccount) + "ly";
    server.route(
        hostOf(captchaAddress), captchaPath.substr(0, captchaPath.find('?')),
        [&server, book, account](const Request& request) {
            if (request.queryValue("lx") != account) {
                return hosting::gbkPage("<html><body>空间不存在</body></html>", 404);
            }
            const std::string session = hostingSessionOf(server, request);
            if (session.empty()) {
                return hosting::gbkPage("<html><body>验证码加载失败：会话无效</body></html>", 403);
            }
            const std::lock_guard lock(book->mutex);
            const std::string code =
                std::to_string(std::uniform_int_distribution<int>(1000, 9999)(book->random));
            book->codes[session] = code;
            book->latestCode = code;
            Response r;
            r.headers.push_back({"Content-Type", "image/jpeg"});
            r.headers.push_back({"Cache-Control", "no-cache"});
            r.body = book->picture.empty() ? drawCaptcha(code, book->random) : book->picture;
            return r;
        });
    setHostingFormHandler(server, [&server, book](const Request& request) {
        return takeMessage(server, *book, request);
    });
}

void setGuestbookCaptchaPicture(Server& server, std::string picture) {
    if (const auto book = guestbookOf(server)) {
        const std::lock_guard lock(book->mutex);
        book->picture = std::move(picture);
    }
}

std::string latestGuestbookCaptcha(const Server& server) {
    const auto book = guestbookOf(server);
    if (!book) {
        return {};
    }
    const std::lock_guard lock(book->mutex);
    return book->latestCode;
}

std::vector<GuestbookMessage> guestbookMessages(const Server& server) {
    const auto book = guestbookOf(server);
    if (!book) {
        return {};
    }
    const std::lock_guard lock(book->mutex);
    return book->messages;
}

void onGuestbookMessage(Server& server, std::function<void(const GuestbookMessage&)> listener) {
    if (const auto book = guestbookOf(server)) {
        const std::lock_guard lock(book->mutex);
        book->listener = std::move(listener);
    }
}

}  // namespace arlo::standin
