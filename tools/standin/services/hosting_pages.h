#pragma once

#include <string>

#include "standin/server.h"
#include "text/gbk.h"

// Pages of the hosting space, which writes GBK: shared by its release listing and its guestbook.
namespace arlo::standin::hosting {

inline Response gbkPage(const std::string& utf8, int status = 200) {
    Response r;
    r.status = status;
    r.headers.push_back({"Content-Type", "text/html; charset=gb2312"});
    r.body = text::utf8ToGbk(utf8).value_or(utf8);
    return r;
}

// What the hosting space answers a request without a live session.
inline Response sessionExpiredPage() {
    return gbkPage(
        "<html><head><title>错误</title></head><body>会话已过期，请刷新页面。</body></html>", 500);
}

}  // namespace arlo::standin::hosting
