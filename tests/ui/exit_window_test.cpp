// Leaving the window while a search runs that will find nothing. A stopped
// search that found nothing asks for its notice on the window's thread; the
// window's thread, leaving, waits for the search. Every exit path must close
// the open questions before it waits, so it ends at once instead of hanging.
// These tests use the real message boxes and answer them as a user would.
#include <sys/stat.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QShortcut>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "window_driver.h"

namespace datrevo {
namespace {

using test::WindowDriver;
namespace fs = std::filesystem;

// A blank disk as a sparse file: a partition table whose one FAT32 entry
// covers the disk from sector 2048, and nothing else, not even a boot
// sector. Only the table's sector holds data, so the disk is unchanged while
// its size, its modification time, its allocated blocks and that sector are.
class BlankDisk {
public:
    explicit BlankDisk(std::uint64_t bytes) : dir_(test::MakeTempDir("blank-disk")) {
        path_ = (dir_ / "blank.img").string();
        table_.assign(512, 0);
        const auto sectors = static_cast<std::uint32_t>(bytes / 512 - 2048);
        std::uint8_t* entry = table_.data() + 446;
        entry[4] = 0x0C;  // FAT32 (LBA)
        for (int b = 0; b < 4; ++b) {
            entry[8 + b] = static_cast<std::uint8_t>(2048u >> (8 * b));
            entry[12 + b] = static_cast<std::uint8_t>(sectors >> (8 * b));
        }
        table_[510] = 0x55;
        table_[511] = 0xAA;
        {
            std::ofstream out(path_, std::ios::binary);
            out.write(reinterpret_cast<const char*>(table_.data()),
                      static_cast<std::streamsize>(table_.size()));
        }
        fs::resize_file(path_, bytes);
        stamp_ = stamp();
    }
    ~BlankDisk() { fs::remove_all(dir_); }
    const std::string& path() const { return path_; }
    bool unchanged() const {
        const Stamp now = stamp();
        std::vector<std::uint8_t> first(512);
        std::ifstream in(path_, std::ios::binary);
        in.read(reinterpret_cast<char*>(first.data()), 512);
        return now.size == stamp_.size && now.mtime == stamp_.mtime &&
               now.blocks == stamp_.blocks && first == table_;
    }

private:
    struct Stamp {
        std::int64_t size = -1;
        std::int64_t mtime = -1;
        std::int64_t blocks = -1;
    };
    Stamp stamp() const {
        struct stat info {};
        if (::stat(path_.c_str(), &info) != 0) return {};
        return {static_cast<std::int64_t>(info.st_size),
                static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                static_cast<std::int64_t>(info.st_blocks)};
    }
    fs::path dir_;
    std::string path_;
    std::vector<std::uint8_t> table_;
    Stamp stamp_;
};

// Ends the test program when a step does not end in time: a hang is a
// failure, not a test that never returns.
class Watchdog {
public:
    Watchdog(std::chrono::seconds limit, const char* step)
        : thread_([limit, step](std::stop_token stop) {
              std::mutex mutex;
              std::condition_variable_any wake;
              std::unique_lock lock(mutex);
              if (!wake.wait_for(lock, stop, limit, [] { return false; }) && !stop.stop_requested())
                  qFatal("%s did not end within %lld s: the window hangs", step,
                         static_cast<long long>(limit.count()));
          }) {}

private:
    std::jthread thread_;
};

// Answers every message box that asks `question` with Yes, and counts the
// other modal dialogs (notices) it closes.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QString question) : question_(std::move(question)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start(20);
    }
    int asked = 0;
    int otherDialogs = 0;

private:
    void answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box != nullptr && box->text() == question_ &&
            box->button(QMessageBox::Yes) != nullptr) {
            ++asked;
            box->button(QMessageBox::Yes)->click();
            return;
        }
        ++otherDialogs;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    }
    QString question_;
    QTimer timer_;
};

constexpr std::uint64_t kLongBlankDisk = std::uint64_t{2} << 30;  // 2 GiB: the scan takes a while
// Five seconds; a slower build (ThreadSanitizer runs many times slower)
// stretches it by DATREVO_TEST_TIME_SCALE.
std::chrono::seconds ExitLimit() {
    const int scale = qEnvironmentVariableIntValue("DATREVO_TEST_TIME_SCALE");
    return std::chrono::seconds(5 * std::max(scale, 1));
}
const auto kExitLimit = ExitLimit();

// An Advance FAT32 scan of the blank disk, running; the real message boxes
// ask the questions.
void StartAdvanceScanThatFindsNothing(WindowDriver& driver) {
    driver.window().setPrompter(nullptr);
    driver.toPartitionPage("id1108");
    QCOMPARE(driver.window().wizard().page(), ui::WizardPage::Partitions);
    QVERIFY(!driver.window().wizard().lostPartitionSearchRunning());
    driver.find<QComboBox>("id1037")->setCurrentIndex(1);  // FAT32
    driver.click("id1058");
    QVERIFY(driver.window().wizard().searchRunning());
    QTest::qWait(200);  // well into the scan
    QVERIFY(driver.window().wizard().searchRunning());
}

class ExitWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exitButtonDuringASearchThatFindsNothingEndsAtOnce() {
        BlankDisk disk(kLongBlankDisk);
        {
            WindowDriver driver(disk.path());
            StartAdvanceScanThatFindsNothing(driver);
            BoxAnswerer answerer(ui::kExitQuestion);
            QElapsedTimer took;
            took.start();
            {
                const Watchdog watchdog(kExitLimit, "Exit during a search");
                driver.click("id1056");
            }
            QVERIFY(took.elapsed() < std::chrono::milliseconds(kExitLimit).count());
            QCOMPARE(answerer.asked, 1);
            QCOMPARE(answerer.otherDialogs, 0);  // no notice once the window leaves
            QVERIFY(!driver.window().isVisible());
        }
        QVERIFY(disk.unchanged());
    }

    void closeBoxDuringASearchThatFindsNothingEndsAtOnce() {
        BlankDisk disk(kLongBlankDisk);
        {
            WindowDriver driver(disk.path());
            StartAdvanceScanThatFindsNothing(driver);
            BoxAnswerer answerer(ui::kExitQuestion);
            {
                const Watchdog watchdog(kExitLimit, "Closing during a search");
                driver.window().close();
            }
            QCOMPARE(answerer.asked, 1);
            QVERIFY(!driver.window().isVisible());
        }
        QVERIFY(disk.unchanged());
    }

    void quitCommandDuringASearchThatFindsNothingEndsAtOnce() {
        BlankDisk disk(kLongBlankDisk);
        {
            WindowDriver driver(disk.path());
            StartAdvanceScanThatFindsNothing(driver);
            BoxAnswerer answerer(ui::kQuitQuestion);
            QShortcut* quit = nullptr;
            for (QShortcut* shortcut : driver.window().findChildren<QShortcut*>())
                if (shortcut->key() == QKeySequence(QKeySequence::Quit)) quit = shortcut;
            QVERIFY(quit != nullptr);
            QElapsedTimer took;
            took.start();
            {
                const Watchdog watchdog(kExitLimit, "Ctrl+Q during a search");
                Q_EMIT quit->activated();
            }
            QVERIFY(took.elapsed() < std::chrono::milliseconds(kExitLimit).count());
            QCOMPARE(answerer.asked, 1);
            QCOMPARE(answerer.otherDialogs, 0);
            QVERIFY(!driver.window().isVisible());
        }
        QVERIFY(disk.unchanged());
    }

    // The search ended and its notice waits in the window's queue when the
    // window goes away: the destructor releases the waiting worker.
    void closingWithANoticeStillQueuedEndsAtOnce() {
        BlankDisk disk(std::uint64_t{4} << 20);  // scanned in a moment
        {
            auto driver = std::make_unique<WindowDriver>(disk.path());
            driver->window().setPrompter(nullptr);
            driver->toPartitionPage("id1108");
            driver->find<QComboBox>("id1037")->setCurrentIndex(1);
            driver->click("id1058");
            // No event is handled meanwhile: the notice stays queued and the
            // worker waits for its answer.
            std::this_thread::sleep_for(std::chrono::seconds(2));
            const Watchdog watchdog(kExitLimit, "Closing with a queued notice");
            driver.reset();
        }
        QVERIFY(disk.unchanged());
    }
};

}  // namespace
}  // namespace datrevo

QTEST_MAIN(datrevo::ExitWindow)
#include "exit_window_test.moc"
