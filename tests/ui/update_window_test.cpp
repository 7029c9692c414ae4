#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "online/self_update.h"
#include "standin/services.h"
#include "standin/standin_environment.h"
#include "ui/app_context.h"
#include "ui/notices.h"
#include "ui/update_window.h"
#include "ui/widgets/controls.h"

using arlo::ui::RecordingNotices;
using arlo::ui::UpdateWindow;
namespace standin = arlo::standin;
namespace online = arlo::online;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void update_probesWithoutBlocking_downloads_replacesAndStartsTheNewExecutable();
    void aFailedProbe_showsTheBoxAndLetsTheUserTryAgain();
    void aRefusedDownload_leavesTheOldExecutableAndShowsTheBox();
    void aRunDirectoryThatCannotBeWritten_failsAtOnce();
    void anotherUpdateUnderWay_isSaidAndNothingIsRequested();
    void aNewExecutableThatDiesAtOnce_isReportedAndTheWindowStays();
    void theProgressLineShowsSizeSpeedAndTimeLeft();
    void eachAttemptStartsEmpty_aStallShowsNoTimeLeft_andCancelEndsIt();
    void cancelAndTheCloseBoxAsk_noKeepsTheWindow_yesEndsIt();
    void theManualDownloadLink_opensTheAddressAndEnds();
    void withoutABrowser_theAddressIsShownToCopyAndTheWindowStays();
    void networkTextShowsAsItIs_andOnlyAWebAddressIsOpened();

private:
    std::unique_ptr<UpdateWindow> makeWindow();
    QLabel* label(const char* name) { return window_->findChild<QLabel*>(QString::fromUtf8(name)); }
    QPushButton* button(const char* name) {
        return window_->findChild<QPushButton*>(QString::fromUtf8(name));
    }

    std::unique_ptr<standin::StandinEnvironment> standin_;
    std::unique_ptr<QTemporaryDir> runDirectory_;
    QString executable_;
    QByteArray oldExecutable_;
    QByteArray payload_;
    RecordingNotices notices_;
    arlo::ui::AppContext context_;
    std::unique_ptr<UpdateWindow> window_;
    std::vector<QUrl> opened_;
};

void UpdateWindowTest::init() {
    standin_ = std::make_unique<standin::StandinEnvironment>();
    QVERIFY(standin_->ok());
    runDirectory_ = std::make_unique<QTemporaryDir>();
    executable_ = runDirectory_->filePath(QStringLiteral("Arlo迷"));
    QVERIFY(QFile::copy(QStringLiteral(ARLO_UPDATE_DRIVER), executable_));
    oldExecutable_ = fileBytes(executable_);
    payload_ = fileBytes(QStringLiteral(ARLO_UPDATE_PAYLOAD));
    standin::setReleaseDownload(standin_->server(), {payload_.toStdString()});
    notices_.clear();
    notices_.setDefaultAnswer(true);
    context_.notices = &notices_;
    context_.runDirectory = runDirectory_->path();
    opened_.clear();
    window_ = makeWindow();
}

void UpdateWindowTest::cleanup() {
    window_.reset();
    runDirectory_.reset();
    standin_.reset();
}

std::unique_ptr<UpdateWindow> UpdateWindowTest::makeWindow() {
    online::VersionState version;
    version.current = "1.1";
    version.latest = "1.2";
    version.releaseNotes = "新增功能；修复问题";
    version.downloadAddress = standin::downloadAddressFor("1.2");
    auto window = std::make_unique<UpdateWindow>(context_, version);
    UpdateWindow::Environment& environment = window->environment();
    environment.executablePath = executable_;
    environment.openUrl = [this](const QUrl& url) {
        opened_.push_back(url);
        return true;
    };
    environment.signingKey.clear();
    environment.pauses = {std::chrono::milliseconds(10), std::chrono::milliseconds(20)};
    window->show();
    return window;
}

void UpdateWindowTest::update_probesWithoutBlocking_downloads_replacesAndStartsTheNewExecutable() {
    QSignalSpy finished(window_.get(), &QDialog::finished);
    QTest::mouseClick(button("按钮1"), Qt::LeftButton);
    // The click returns while the probe is still out.
    QCOMPARE(label("标签2")->text(), QStringLiteral("分析文件..."));
    QCOMPARE(label("标签2")->width(), window_->controls().progress->width());
    QVERIFY(label("标签5")->isHidden());
    QVERIFY(!button("按钮1")->isEnabled());
    QVERIFY(button("按钮2")->isEnabled());

    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QCOMPARE(label("标签2")->text(), QStringLiteral("已完成"));
    QCOMPARE(window_->controls().progress->value(), 100);
    QCOMPARE(window_->controls().percentage->text(), QStringLiteral("100%"));
    QVERIFY(fileBytes(executable_) == payload_);
    QVERIFY(!QFile::exists(runDirectory_->filePath(QStringLiteral("Arlo迷.exe.tmp"))));
    QTRY_VERIFY_WITH_TIMEOUT(
        QFile::exists(runDirectory_->filePath(QStringLiteral("started.marker"))), 10000);
    QVERIFY(notices_.entries().empty());

    // Reports that arrive after the end change nothing.
    window_->onProgress(10, 1000);
    QCOMPARE(label("标签2")->text(), QStringLiteral("已完成"));
    QCOMPARE(window_->controls().progress->value(), 100);
}

void UpdateWindowTest::aFailedProbe_showsTheBoxAndLetsTheUserTryAgain() {
    standin::setReleaseDownload(standin_->server(),
                                {payload_.toStdString(), standin::DownloadFault::Size999});
    QTest::mouseClick(button("按钮1"), Qt::LeftButton);
    QTRY_COMPARE(notices_.entries().size(), std::size_t{1});
    const RecordingNotices::Entry box = notices_.entries().front();
    QCOMPARE(box.kind, RecordingNotices::Kind::Warn);
    QCOMPARE(box.caption, QStringLiteral("错误："));
    QCOMPARE(box.text, QStringLiteral("下载失败，请重试。可以试试手动下载"));
    QCOMPARE(label("标签2")->text(), QStringLiteral("自动更新失败"));
    QVERIFY(button("按钮1")->isEnabled());
    QVERIFY(button("按钮2")->isEnabled());
    QVERIFY(label("标签5")->isHidden());
    QVERIFY(window_->isVisible());
    QCOMPARE(standin_->server().requests().back().method, std::string("HEAD"));

    // Again, now that the file is there.
    QSignalSpy finished(window_.get(), &QDialog::finished);
    standin::setReleaseDownload(standin_->server(), {payload_.toStdString()});
    QTest::mouseClick(button("按钮1"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QVERIFY(fileBytes(executable_) == payload_);
}

void UpdateWindowTest::aRefusedDownload_leavesTheOldExecutableAndShowsTheBox() {
    standin::setReleaseDownload(
        standin_->server(), {payload_.toStdString(), standin::DownloadFault::HtmlPage, -1, true});
    QTest::mouseClick(button("按钮1"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(notices_.entries().size(), std::size_t{1}, 10000);
    QCOMPARE(label("标签2")->text(), QStringLiteral("自动更新失败"));
    QVERIFY(button("按钮1")->isEnabled());
    QVERIFY(fileBytes(executable_) == oldExecutable_);
    QVERIFY(!QFile::exists(runDirectory_->filePath(QStringLiteral("Arlo迷.exe.tmp"))));
    std::size_t downloads = 0;
    for (const standin::Request& r : standin_->server().requests()) {
        downloads += r.method == "GET" ? 1 : 0;
    }
    QCOMPARE(downloads, std::size_t{3});
}

void UpdateWindowTest::aRunDirectoryThatCannotBeWritten_failsAtOnce() {
    window_->environment().executablePath = runDirectory_->filePath(QStringLiteral("gone/Arlo迷"));
    QTest::mouseClick(button("按钮1"), Qt::LeftButton);
    QCOMPARE(notices_.entries().size(), std::size_t{1});
    QCOMPARE(label("标签2")->text(), QStringLiteral("自动更新失败"));
    QVERIFY(standin_->server().requests().empty());
}

void UpdateWindowTest::anotherUpdateUnderWay_isSaidAndNothingIsRequested() {
    {
        const online::UpdateLock other(runDirectory_->path().toStdString());
        QTest::mouseClick(button("按钮1"), Qt::LeftButton);
    }
    QCOMPARE(notices_.entries().size(), std::size_t{1});
    QCOMPARE(notices_.entries().front().text,
             QStringLiteral("已有另一个更新正在进行，请稍后再试。"));
    QCOMPARE(label("标签2")->text(), QStringLiteral("自动更新失败"));
    QVERIFY(button("按钮1")->isEnabled());
    QVERIFY(standin_->server().requests().empty());
}

void UpdateWindowTest::aNewExecutableThatDiesAtOnce_isReportedAndTheWindowStays() {
    qputenv("ARLO_TEST_PAYLOAD_CRASHES", "1");
    QSignalSpy finished(window_.get(), &QDialog::finished);
    QTest::mouseClick(button("按钮1"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(notices_.entries().size(), std::size_t{1}, 10000);
    qunsetenv("ARLO_TEST_PAYLOAD_CRASHES");
    QCOMPARE(notices_.entries().front().text, QStringLiteral("新版本启动失败，可以试试手动下载"));
    QCOMPARE(label("标签2")->text(), QStringLiteral("自动更新失败"));
    QVERIFY(window_->isVisible());
    QCOMPARE(finished.count(), 0);
}

void UpdateWindowTest::theProgressLineShowsSizeSpeedAndTimeLeft() {
    // A third of the file, then silence: the progress stays there until the transfer is
    // given up.
    qputenv("ARLO_NET_STALL_SECONDS", "2");
    window_->environment().pauses.clear();
    standin::setReleaseDownload(standin_->server(),
                                {payload_.toStdString(), standin::DownloadFault::Stall, -1, true});
    QTest::mouseClick(button("按钮1"), Qt::LeftButton);
    const auto third = static_cast<std::int64_t>(payload_.size() / 3);
    const QString start = QString::fromStdString(
        online::sizeText(third) + "/" + online::sizeText(payload_.size()) + std::string(12, ' '));
    QTRY_VERIFY_WITH_TIMEOUT(label("标签2")->text().startsWith(start), 5000);
    QCOMPARE(window_->controls().progress->value(), 33);
    QCOMPARE(window_->controls().percentage->text(), QStringLiteral("33.3%"));
    QTRY_COMPARE_WITH_TIMEOUT(label("标签2")->text(), QStringLiteral("自动更新失败"), 10000);
    qunsetenv("ARLO_NET_STALL_SECONDS");
    QVERIFY(fileBytes(executable_) == oldExecutable_);
}

void UpdateWindowTest::eachAttemptStartsEmpty_aStallShowsNoTimeLeft_andCancelEndsIt() {
    // The probe sees the error page's length too: the whole page comes, fills the bar and is
    // refused.
    standin::setReleaseDownload(standin_->server(),
                                {payload_.toStdString(), standin::DownloadFault::HtmlPage});
    QTest::mouseClick(button("按钮1"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(notices_.entries().size(), std::size_t{1}, 10000);
    QCOMPARE(window_->controls().progress->value(), 0);
    QCOMPARE(window_->controls().percentage->text(), QString());

    // Again: a third of the file, then nothing.
    window_->environment().pauses.clear();
    standin::setReleaseDownload(standin_->server(),
                                {payload_.toStdString(), standin::DownloadFault::Stall, -1, true});
    QSignalSpy finished(window_.get(), &QDialog::finished);
    QTest::mouseClick(button("按钮1"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(window_->controls().progress->value(), 33, 5000);
    const QString reported = label("标签2")->text();
    QTRY_VERIFY_WITH_TIMEOUT(label("标签2")->text() != reported &&
                                 label("标签2")->text().endsWith(QStringLiteral("--:--:--")),
                             5000);
    QTest::mouseClick(button("按钮2"), Qt::LeftButton);
    QCOMPARE(notices_.entries().back().text, QStringLiteral("是否退出更新？"));
    QCOMPARE(finished.count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(
        !QFile::exists(runDirectory_->filePath(QStringLiteral("Arlo迷.exe.tmp"))), 5000);
    QVERIFY(fileBytes(executable_) == oldExecutable_);
}

void UpdateWindowTest::cancelAndTheCloseBoxAsk_noKeepsTheWindow_yesEndsIt() {
    QSignalSpy finished(window_.get(), &QDialog::finished);
    notices_.queueAnswer(false);
    QTest::mouseClick(button("按钮2"), Qt::LeftButton);
    QVERIFY(window_->isVisible());
    notices_.queueAnswer(false);
    window_->close();
    QVERIFY(window_->isVisible());
    QCOMPARE(finished.count(), 0);
    const std::vector<RecordingNotices::Entry> asked = notices_.entries();
    QCOMPARE(asked.size(), std::size_t{2});
    for (const RecordingNotices::Entry& entry : asked) {
        QCOMPARE(entry.kind, RecordingNotices::Kind::Ask);
        QCOMPARE(entry.caption, QStringLiteral("温馨提示："));
        QCOMPARE(entry.text, QStringLiteral("是否退出更新？"));
        QCOMPARE(entry.buttons, RecordingNotices::Question::YesNo);
    }

    QTest::mouseClick(button("按钮2"), Qt::LeftButton);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!window_->isVisible());

    // The close box, answered Yes, ends a fresh window too.
    window_ = makeWindow();
    QSignalSpy closed(window_.get(), &QDialog::finished);
    window_->close();
    QCOMPARE(closed.count(), 1);
    QVERIFY(fileBytes(executable_) == oldExecutable_);
}

void UpdateWindowTest::theManualDownloadLink_opensTheAddressAndEnds() {
    QSignalSpy finished(window_.get(), &QDialog::finished);
    QTest::mousePress(window_->controls().manualDownload, Qt::LeftButton);
    QCOMPARE(opened_.size(), std::size_t{1});
    QCOMPARE(opened_.front().toString().toStdString(), standin::downloadAddressFor("1.2"));
    QCOMPARE(finished.count(), 1);
    QVERIFY(notices_.entries().empty());
}

void UpdateWindowTest::withoutABrowser_theAddressIsShownToCopyAndTheWindowStays() {
    // The desktop's own opener, which the offscreen platform lacks as a system without one does.
    window_ = std::make_unique<UpdateWindow>(context_, window_->version());
    window_->show();
    QSignalSpy finished(window_.get(), &QDialog::finished);
    QTest::mousePress(window_->controls().manualDownload, Qt::LeftButton);
    auto* box = window_->findChild<QDialog*>(QStringLiteral("地址框"));
    QVERIFY(box != nullptr && box->isVisible());
    QCOMPARE(box->findChild<QLabel*>()->text(),
             QStringLiteral("无法打开浏览器，请复制下面的地址到浏览器中打开："));
    const auto* field = box->findChild<QLineEdit*>();
    QCOMPARE(field->text().toStdString(), standin::downloadAddressFor("1.2"));
    QVERIFY(field->isReadOnly());
    QCOMPARE(field->selectedText(), field->text());
    QTest::mouseClick(box->findChild<QPushButton*>(), Qt::LeftButton);
    QCOMPARE(finished.count(), 0);
    QVERIFY(window_->isVisible());
}

void UpdateWindowTest::networkTextShowsAsItIs_andOnlyAWebAddressIsOpened() {
    online::VersionState version = window_->version();
    version.latest = "9<span style=\"font-size:40px\">大</span>";
    version.downloadAddress = "file:///etc/passwd";
    window_ = std::make_unique<UpdateWindow>(context_, version);
    window_->environment().openUrl = [this](const QUrl& url) {
        opened_.push_back(url);
        return true;
    };
    window_->show();
    for (const char* name : {"标签4", "标签5"}) {
        QCOMPARE(label(name)->textFormat(), Qt::PlainText);
        QVERIFY(label(name)->text().startsWith(QString::fromStdString(version.latest)));
        QVERIFY(label(name)->sizeHint().height() < 40);  // not laid out as 40-pixel markup
    }
    QTest::mousePress(window_->controls().manualDownload, Qt::LeftButton);
    QVERIFY(opened_.empty());
    QVERIFY(window_->isVisible());
}

QTEST_MAIN(UpdateWindowTest)
#include "update_window_test.moc"
