#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "base/serial_worker.h"
#include "net/page_fetcher.h"
#include "online/hosting_space.h"

// The guestbook of the author's hosting space: a message goes there as a form posted to the
// space's endpoint within a session, together with the answer to a captcha picture that the
// same session fetched. The service writes and reads GBK.
namespace arlo::online {

// What the user typed, as UTF-8.
struct GuestbookForm {
    std::string message;
    std::string nickname;  // empty: the message is signed "匿名"
    std::string contact;   // the QQ number; may be empty
    std::string captcha;
};

// The form's fields, in the order they are checked for characters that GBK cannot write.
enum class GuestbookField { Message, Nickname, Contact, Captcha };

struct EncodedGuestbookForm {
    std::string body;        // the form body, ready to post
    std::string messageGbk;  // the message text as sent, in GBK: what a reply echoes
};

// Every byte as "%" and two upper-case hexadecimal digits, letters and digits included.
std::string percentEncodeEveryByte(std::string_view bytes);

// Bytes that may stand in a form body as they are (ASCII letters and digits, "-", ".", "_",
// "~") stay; every other byte becomes "%" and two upper-case hexadecimal digits. An answer
// typed with letters and digits goes on the wire as typed, and one holding "&", "=", "%",
// "+", spaces or Chinese characters still reaches the service exactly as typed.
std::string percentEncodeReserved(std::string_view bytes);

// "Yz0=lytj&Yz1=n1&Yz2=" N "&Yz3=" M "&Yz4=" C, where N is the nickname ("匿名" when empty),
// M the nickname, "（" contact "）" when a contact is given, "：" and the message, both in GBK
// with every byte percent-encoded, and C the captcha answer in GBK through
// percentEncodeReserved. The message's line breaks go as CR LF, as the service's own form
// sends them: a lone LF or CR becomes CR LF, and CR LF stays one. The first field that holds a
// character without a GBK form when there is one: nothing is encoded then.
Result<EncodedGuestbookForm, GuestbookField> encodeGuestbookForm(const GuestbookForm& form);

enum class GuestbookOutcome {
    Accepted,      // the reply echoes the message
    WrongCaptcha,  // the service refused the captcha answer
    Failed,        // anything else, a failed request included
};

// The text of the service's refusal of a captcha answer.
inline constexpr std::string_view kWrongCaptchaText = "验证码不正确,请重新输入";

// Judges the service's reply (a GBK page, read up to its first NUL byte) to the message whose
// GBK text is `messageGbk`. Both searches go by whole GBK characters.
GuestbookOutcome judgeGuestbookReply(std::string_view reply, std::string_view messageGbk);

// The guestbook's requests, made one after another on a serial worker, in the order they
// were asked for: a message posted before the session is open waits for it. The session (the
// space's token and cookie jar) is the worker's only. Results are handed to the callbacks on
// the worker's thread.
class GuestbookClient final {
public:
    GuestbookClient() = default;
    // Cuts off the request under way, drops those still waiting and waits for the thread
    // (the worker goes first): no callback runs once this returns.
    ~GuestbookClient() = default;
    GuestbookClient(const GuestbookClient&) = delete;
    GuestbookClient& operator=(const GuestbookClient&) = delete;

    // Opens a new session at the hosting space, replacing the one before.
    void openSession();
    // Fetches a captcha picture within the session: `shown` gets the reply's bytes (empty
    // when the request failed; not necessarily a picture).
    void loadCaptcha(std::function<void(net::Bytes picture)> shown);
    // Posts an encoded form within the session.
    void submit(EncodedGuestbookForm form, std::function<void(GuestbookOutcome)> done);

private:
    // Queues `job` (true when its result is still wanted) with its requests cut off when the
    // client goes.
    void post(std::function<void(const base::StopSignal&)> job);

    HostingSession session_;                       // the worker's only
    base::SerialWorker worker_{"arlo-guestbook"};  // last: joined before the session goes
};

}  // namespace arlo::online
