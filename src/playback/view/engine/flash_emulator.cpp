#include "playback/view/engine/flash_emulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QUrl>

#include "playback/view/build_tree.h"

namespace arlo::pageview {
namespace {

constexpr char kEmulatorScriptName[] = "ruffle.js";

// The emulator's settings: it starts the player at once, shows no menu of its own (right
// clicks are refused on the player), no splash picture, no overlay asking for a click before
// sound, and no warning about content it cannot fully run; it logs errors only. A player
// file may neither script the page (no javascript: addresses, no calls into the page) nor
// open or navigate any window. Its other files are fetched from `folder`: an injected
// script has no address of its own to find them from.
QByteArray configuration(const QString& folder) {
    QJsonObject config;
    config.insert(QStringLiteral("publicPath"),
                  QUrl::fromLocalFile(folder + QLatin1Char('/')).toString(QUrl::FullyEncoded));
    config.insert(QStringLiteral("autoplay"), QStringLiteral("on"));
    config.insert(QStringLiteral("contextMenu"), QStringLiteral("off"));
    config.insert(QStringLiteral("unmuteOverlay"), QStringLiteral("hidden"));
    config.insert(QStringLiteral("letterbox"), QStringLiteral("on"));
    config.insert(QStringLiteral("splashScreen"), false);
    config.insert(QStringLiteral("warnOnUnsupportedContent"), false);
    config.insert(QStringLiteral("logLevel"), QStringLiteral("error"));
    config.insert(QStringLiteral("allowScriptAccess"), false);
    config.insert(QStringLiteral("allowNetworking"), QStringLiteral("internal"));
    config.insert(QStringLiteral("openUrlMode"), QStringLiteral("deny"));
    return QJsonDocument(config).toJson(QJsonDocument::Compact);
}

// Defines window.arloShowPlaybackFailure, which covers the page with the failure message,
// and watches every player element the emulator makes: its shadow root is open, and the
// emulator's error panel (id "panic") appearing there means the player will not play.
// Every Flash element added to the page, and each of its parameters, says that its player
// may not script the page and may not navigate, whatever the page wrote: the emulator takes
// an element's own settings over its configuration, and this observer, made before the
// emulator's, sees each element first.
// Bounds every request of the page for something on the network (the player files: the
// page reaches no other host) as the program bounds its own requests: it fails when nothing
// arrives for `bounds.stallMs`, headers or body, and when it is not done after
// `bounds.deadlineMs`. The emulator then gives the player up, and the failure message shows.
QString playerFileBoundsScript(const PlayerFileBounds& bounds) {
    return QStringLiteral(R"JS(
(() => {
  const stallMs = %1, deadlineMs = %2;
  const fetchWithoutBounds = window.fetch.bind(window);
  const boundedFetch = (input, init) => {
    const address = typeof input === 'string' ? input : String(input && input.url || input);
    if (!/^https?:/i.test(address)) return fetchWithoutBounds(input, init);
    const controller = new AbortController();
    const asked = init && init.signal;
    if (asked) asked.addEventListener('abort', () => controller.abort(), {once: true});
    const deadline = setTimeout(() => controller.abort(), deadlineMs);
    let stall = setTimeout(() => controller.abort(), stallMs);
    const rearm = () => {
      clearTimeout(stall);
      stall = setTimeout(() => controller.abort(), stallMs);
    };
    const done = () => { clearTimeout(stall); clearTimeout(deadline); };
    return fetchWithoutBounds(input, Object.assign({}, init, {signal: controller.signal}))
      .then((response) => {
        if (!response.body) { done(); return response; }
        rearm();
        const reader = response.body.getReader();
        const body = new ReadableStream({
          pull: (out) => reader.read().then(({done: end, value}) => {
            if (end) { done(); out.close(); } else { rearm(); out.enqueue(value); }
          }, (error) => { done(); throw error; }),
          cancel: (reason) => { done(); return reader.cancel(reason); },
        });
        const bounded = new Response(body, {status: response.status,
            statusText: response.statusText, headers: response.headers});
        Object.defineProperty(bounded, 'url', {value: response.url});
        Object.defineProperty(bounded, 'redirected', {value: response.redirected});
        return bounded;
      }, (error) => { done(); throw error; });
  };
  Object.defineProperty(window, 'fetch', {value: boundedFetch});
})();
)JS")
        .arg(bounds.stallMs)
        .arg(bounds.deadlineMs);
}

QString failureWatchScript() {
    const QJsonArray message{QString::fromUtf16(kPlaybackFailureMessage)};
    return QStringLiteral(R"JS(
(() => {
  const message = %1[0];
  let shown = false;
  const show = () => {
    const root = document.body || document.documentElement;
    if (shown || !root) return;
    shown = true;
    for (const ring of document.querySelectorAll('.arlo-player-loading')) ring.remove();
    for (const node of document.querySelectorAll('*')) {
      if (node.tagName === 'EMBED' || node.tagName === 'OBJECT' ||
          node.tagName.startsWith('RUFFLE-')) {
        node.style.setProperty('visibility', 'hidden', 'important');
      }
    }
    const notice = document.createElement('div');
    notice.id = 'arlo-playback-failure';
    notice.textContent = message;
    notice.style.cssText = 'position:fixed;left:0;top:0;right:0;bottom:0;display:flex;' +
        'align-items:center;justify-content:center;background:#000;color:#fff;' +
        'font:18px sans-serif;z-index:2147483647;visibility:visible';
    root.appendChild(notice);
  };
  Object.defineProperty(window, 'arloShowPlaybackFailure', {value: show});
  // While a player loads, a ring turns over it; it goes when the player has its movie, or
  // gives up.
  const loading = (player) => {
    const ring = document.createElement('div');
    ring.className = 'arlo-player-loading';
    ring.style.cssText = 'position:absolute;width:36px;height:36px;margin:-18px 0 0 -18px;' +
        'border:4px solid rgba(160,160,160,0.35);border-top-color:#a0a0a0;border-radius:50%;' +
        'pointer-events:none;z-index:2147483646';
    const place = () => {
      const box = player.getBoundingClientRect();
      ring.style.left = (window.scrollX + box.left + box.width / 2) + 'px';
      ring.style.top = (window.scrollY + box.top + box.height / 2) + 'px';
    };
    place();
    ring.animate([{transform: 'rotate(0deg)'}, {transform: 'rotate(360deg)'}],
                 {duration: 900, iterations: Infinity});
    (document.body || document.documentElement).appendChild(ring);
    window.addEventListener('resize', place);
    const end = () => { ring.remove(); window.removeEventListener('resize', place); };
    player.addEventListener('loadeddata', end, {once: true});
    return end;
  };
  const watched = new WeakSet();
  const watch = (player) => {
    const shadow = player.shadowRoot;
    if (!shadow || watched.has(player)) return;
    watched.add(player);
    const loaded = loading(player);
    const check = () => { if (shadow.getElementById('panic')) { loaded(); show(); } };
    new MutationObserver(check).observe(shadow, {childList: true, subtree: true});
    check();
  };
  const confine = (node) => {
    if (node.tagName === 'EMBED' || node.tagName === 'OBJECT') {
      node.setAttribute('allowscriptaccess', 'never');
      node.setAttribute('allownetworking', 'internal');
    } else if (node.tagName === 'PARAM') {
      const name = (node.getAttribute('name') || '').toLowerCase();
      if (name === 'allowscriptaccess') node.setAttribute('value', 'never');
      if (name === 'allownetworking') node.setAttribute('value', 'internal');
    }
  };
  const visit = (node) => {
    if (node.nodeType !== Node.ELEMENT_NODE) return;
    confine(node);
    if (node.tagName.startsWith('RUFFLE-')) watch(node);
    for (const child of node.children) visit(child);
  };
  new MutationObserver((records) => {
    for (const record of records) record.addedNodes.forEach(visit);
  }).observe(document, {childList: true, subtree: true});
})();
)JS")
        .arg(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

}  // namespace

QString findFlashEmulatorFolder() {
    QStringList candidates;
    const QString fromEnvironment = qEnvironmentVariable("ARLO_RUFFLE_DIR");
    if (!fromEnvironment.isEmpty()) {
        candidates << fromEnvironment;
    } else {
        const QDir executableFolder(QCoreApplication::applicationDirPath());
        candidates << executableFolder.filePath(QStringLiteral("ruffle"));
#ifdef ARLO_RUFFLE_INSTALLED_DIR
        candidates << QDir::cleanPath(
            executableFolder.filePath(QString::fromUtf8(ARLO_RUFFLE_INSTALLED_DIR)));
#endif
#ifdef ARLO_RUFFLE_BUILD_DIR
        if (runsFromBuildTree(QString::fromUtf8(ARLO_BUILD_ROOT))) {
            candidates << QString::fromUtf8(ARLO_RUFFLE_BUILD_DIR);
        }
#endif
    }
    for (const QString& candidate : candidates) {
        if (QFileInfo(QDir(candidate).filePath(QLatin1String(kEmulatorScriptName))).isFile()) {
            return QFileInfo(candidate).absoluteFilePath();
        }
    }
    return {};
}

QString flashEmulatorScript(const QString& folder, const PlayerFileBounds& bounds) {
    QString script = playerFileBoundsScript(bounds) + failureWatchScript();
    QFile emulator(QDir(folder).filePath(QLatin1String(kEmulatorScriptName)));
    if (folder.isEmpty() || !emulator.open(QIODevice::ReadOnly)) {
        // Without the emulator a Flash element shows nothing at all: say so instead.
        script += QStringLiteral(
            "document.addEventListener('DOMContentLoaded', () => {"
            " if (document.querySelector('embed, object')) window.arloShowPlaybackFailure(); });");
        return script;
    }
    script += QStringLiteral("window.RufflePlayer = {config: ") +
              QString::fromUtf8(configuration(folder)) + QStringLiteral("};\n");
    // An engine that refuses WebGL to a page keeps refusing it, and asking costs each player
    // some 20 ms: once plain WebGL, the emulator's last try, is refused, the page's next
    // players draw on a 2D canvas, which the emulator would come to anyway, at once.
    script += QStringLiteral(R"JS(
(() => {
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
    const context = getContext.call(this, kind, ...rest);
    if (kind === 'webgl' && !context && window.RufflePlayer && window.RufflePlayer.config) {
      window.RufflePlayer.config.preferredRenderer = 'canvas';
    }
    return context;
  };
})();
)JS");
    script += QString::fromUtf8(emulator.readAll());
    return script;
}

bool isPlaybackFailureMessage(const QString& message) {
    // What the emulator logs when it gives up on a player: the file could not be fetched
    // (unreachable, refused, not allowed across origins), was no SWF, or its own core failed.
    static const QStringList kFailures{
        QStringLiteral("SWF download failed"),
        QStringLiteral("Serious error occurred loading SWF file"),
        QStringLiteral("Serious error loading Ruffle"),
        QStringLiteral("Serious error encountered when polyfilling"),
    };
    for (const QString& failure : kFailures) {
        if (message.contains(failure)) {
            return true;
        }
    }
    return false;
}

QString showPlaybackFailureScript() {
    return QStringLiteral(
        "if (window.arloShowPlaybackFailure) { window.arloShowPlaybackFailure(); }");
}

QString replaceDocumentScript(const QString& text) {
    const QJsonArray page{text};
    return QStringLiteral(R"JS(
(() => {
  if (document.getElementById('arlo-playback-failure')) return false;
  const fresh = new DOMParser().parseFromString(%1[0], 'text/html');
  if (fresh.compatMode !== document.compatMode) return false;
  document.documentElement.replaceWith(document.adoptNode(fresh.documentElement));
  return true;
})()
)JS")
        .arg(QString::fromUtf8(QJsonDocument(page).toJson(QJsonDocument::Compact)));
}

}  // namespace arlo::pageview
