#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// What the Player page may reach. The page is a local file and the Flash emulator in it runs
// player files fetched from the network, which may be crafted: the page, its player files and
// whatever script they manage to run reach the page's own file, the emulator's files and the
// player hosts, and nothing else (no other local file, no other host).
namespace arlo::pageview {

class PageRequestRules {
public:
    // `emulatorFolder`: the folder of the emulator's files (empty: none); `playerOrigins`:
    // scheme, host and port of each host that serves player files.
    PageRequestRules(const QString& emulatorFolder, QList<QUrl> playerOrigins);

    // The local page the view shows now; none until set.
    void setPage(const QUrl& page);

    // Whether a request for `url`, from the page or anything in it, may go out: the page
    // itself; a file inside the emulator's folder; an http or https address on a player
    // host's origin; about:blank, and data: and blob: addresses, which reach nothing.
    bool allows(const QUrl& url) const;

private:
    QString emulatorFolder_;
    QList<QUrl> playerOrigins_;
    QString pagePath_;
};

// The origins of the player hosts the program was built for.
QList<QUrl> configuredPlayerOrigins();

}  // namespace arlo::pageview
