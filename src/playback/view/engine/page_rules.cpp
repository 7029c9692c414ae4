#include "playback/view/engine/page_rules.h"

#include <QDir>

#include <utility>

#include "deploy/deploy.h"

namespace arlo::pageview {
namespace {

int portOf(const QUrl& url) {
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
}

// A local file's path with "." and ".." resolved; empty for anything else, also for a file
// address that names a host.
QString localPathOf(const QUrl& url) {
    if (!url.isLocalFile() || !url.host().isEmpty()) {
        return {};
    }
    return QDir::cleanPath(url.toLocalFile());
}

}  // namespace

PageRequestRules::PageRequestRules(const QString& emulatorFolder, QList<QUrl> playerOrigins)
    : emulatorFolder_(emulatorFolder.isEmpty() ? QString() : QDir::cleanPath(emulatorFolder)),
      playerOrigins_(std::move(playerOrigins)) {}

void PageRequestRules::setPage(const QUrl& page) {
    pagePath_ = localPathOf(page);
}

bool PageRequestRules::allows(const QUrl& url) const {
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("data") || scheme == QLatin1String("blob") ||
        url == QUrl(QStringLiteral("about:blank"))) {
        return true;
    }
    if (scheme == QLatin1String("file")) {
        const QString path = localPathOf(url);
        return !path.isEmpty() &&
               (path == pagePath_ || (!emulatorFolder_.isEmpty() &&
                                      path.startsWith(emulatorFolder_ + QLatin1Char('/'))));
    }
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        return false;
    }
    for (const QUrl& origin : playerOrigins_) {
        if (origin.scheme() == scheme && origin.host() == url.host() &&
            portOf(origin) == portOf(url)) {
            return true;
        }
    }
    return false;
}

QList<QUrl> configuredPlayerOrigins() {
    QList<QUrl> origins;
    for (const std::string_view host : {deploy::kPlayerHost, deploy::kIqiyiPlayerHost}) {
        const QUrl origin(QString::fromUtf8(host.data(), static_cast<qsizetype>(host.size())));
        if (origin.isValid() && !origin.host().isEmpty()) {
            origins << origin;
        }
    }
    return origins;
}

}  // namespace arlo::pageview
