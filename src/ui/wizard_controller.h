// The wizard of the main window without any widget: its steps, the search
// values the steps set, what each button does on each step, the guide text,
// and which controls are shown and enabled. The window only shows this state
// and forwards the user's actions; tests drive every path headless.
//
// Workers report their end on their own thread; the controller hands that
// report to `post`, which must run it on the thread that owns the controller
// (the window's event loop, or a test's queue).
#pragma once

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include <thread>

#include "base/search_mode.h"
#include "log/recovery_log.h"
#include "base/details_list.h"
#include "recovery/recovery_context.h"
#include "search/search_workers.h"

namespace datrevo::ui {

enum class WizardStep { Inventory = -1, Disk = 0, Partition = 1, FileSystems = 2, Results = 3 };

// The central panel the window shows.
enum class WizardPage { Disks, Partitions, Searching, FileSystems, Results };

struct WizardControls {
    bool nextEnabled = false;
    bool nextVisible = true;
    bool backEnabled = false;
    bool loadLogEnabled = false;
    bool saveEnabled = false;
    bool saveLogEnabled = false;
    bool refreshVisible = true;
    bool modeEnabled = true;            // the two search-mode radios
    bool searchMoreVisible = false;     // "Search More Partitions"
    bool stopSearchingVisible = false;  // "Stop Searching Partitions"
    bool stopSearchVisible = false;     // "Stop Search"
    bool typeFieldsEnabled = false;     // partition type, start and end fields
};

// The values of the search page.
struct SearchPageValues {
    std::string drive;       // "Searching in Physical Drive"
    std::string fileSystem;  // "Selected File System"
    std::string criteria;    // "Searching Criteria"
    std::string range;       // "Searching from sectors": "first to end"
};

inline constexpr const char* kGuideDiskPage =
    "Select the disk from Top Panel from which you want to recover Data. Select the searching "
    "criteria (Standard Search or Advance Search) and Press \u2018Next\u2019 button to Proceed. "
    "Both the recovery Modes recover data using different recovery techniques in different "
    "cases of data loss.";
inline constexpr const char* kGuidePartitionPage =
    "Select the Partition from Top Panel from which you want to recover Data. If the partition "
    "(from which you want to recover your data) is not in the list, Press \u2018Search More "
    "Partitions\u2019 button to search other Lost or Deleted Partitions. Press \u2018Next\u2019 "
    "button to start searching Data.";
inline constexpr const char* kGuideCorruptedTable =
    "Partition Table is corrupted. Software is Searching Partitions...";
inline constexpr const char* kGuideSelectType =
    "Select the Partition Type from which you want to recover Data and press 'Next' button to "
    "start searching Data. Or to select another Disk press 'Back' button.";
inline constexpr const char* kGuideSelectPartition =
    "Select the partition to recover from Top panel and then click on next button or use "
    "Searching Partition for search missing partition.";
inline constexpr const char* kGuideSearching =
    "You can stop searching Files and Folders by clicking on 'Stop Search' button. However, it "
    "is strongly recommended that you should allow the software to complete the searching "
    "Process.";
inline constexpr const char* kGuideLostSearching =
    "To stop press 'Stop Searching Partition' button or Please wait for the process to be "
    "completed. It is strongly recommended that you should allow the software to complete the "
    "Process.";
inline constexpr const char* kGuideLostDone =
    "Select the Partition from Top Panel from which you want to recover Data. Press 'Search More "
    "Partitions' button to search other Lost or Deleted Partitions. Press 'Next' button to start "
    "searching Data.";
// The file-system page after an Advance NTFS search (the FAT search's page
// says kGuideAdvanceChoose).
inline constexpr const char* kGuideNtfsProceed =
    "For recovering data proceed with next button or if you want to recover another drive, "
    "proceed with back button and select another partition.";
inline constexpr const char* kStopLostSearchQuestion = "Do you want to stop searching partition?";
inline constexpr const char* kSelectPartitionType = "Select partition type";
inline constexpr const char* kStartSectorInvalid = "Start sector is not valid";
inline constexpr const char* kEndSectorInvalid = "Ending sector is not valid";
inline constexpr const char* kPartitionTypeItems[] = {"FAT16", "FAT32", "NTFS", "UNKNOWN", "exFAT"};

// The disk page's tree text of a disk: its kind and name ("Disk Image
// (Disk1)") and what tells it apart: an image's file name, a device's model
// and size.
std::string DeviceTreeItemText(const DiskDescription& disk);

class WizardController {
public:
    using Post = std::function<void(std::function<void()>)>;

    WizardController(RecoveryContext& context, Post post);
    ~WizardController();
    WizardController(const WizardController&) = delete;
    WizardController& operator=(const WizardController&) = delete;

    // Called after every change of the state below, on the owner's thread.
    std::function<void()> onChange;

    // --- what the window shows ---
    WizardStep step() const { return step_; }
    WizardPage page() const { return page_; }
    std::optional<SearchMode> mode() const { return mode_; }
    const std::string& guide() const { return guide_; }
    const WizardControls& controls() const { return controls_; }
    // The details rows: a copy taken while no worker runs (an Advance search
    // writes the context's rows from its thread).
    const DetailsList& details() const { return details_; }
    const std::string& modeText() const { return modeText_; }
    // Device items (one per offered disk, in slot order), partition items,
    // file-system items.
    const std::vector<std::string>& deviceItems() const { return deviceItems_; }
    const std::vector<std::string>& partitionItems() const { return partitionItems_; }
    const std::vector<std::string>& fileSystemItems() const { return fileSystemItems_; }
    std::optional<int> selectedDevice() const { return selectedDevice_; }
    int selectedPartition() const { return selectedPartition_; }
    int selectedVolume() const { return selectedVolume_; }
    int typeChoice() const { return typeChoice_; }
    const std::string& startField() const { return startField_; }
    const std::string& endField() const { return endField_; }
    const SearchPageValues& searchPage() const { return searchPage_; }
    // A search, a recovery or a log load runs on a worker.
    bool searchRunning() const { return searchRunning_ || loadRunning_; }
    bool lostPartitionSearchRunning() const { return lostRunning_; }
    // Counts the inventories taken (start-up, "Refresh List", Back to the
    // disk page): the window says "no disk" after each that found none.
    int inventoriesTaken() const { return inventoriesTaken_; }
    // The result tree may be read (no worker writes it).
    bool resultReady() const {
        return step_ == WizardStep::Results && !searchRunning_ && !loadRunning_;
    }
    RecoveryContext& context() { return context_; }

    // --- the user's actions ---
    void start();                       // takes the inventory: the disk page
    void refreshList();                 // "Refresh List"
    void selectDevice(int slot);        // a click on a device item
    void chooseMode(SearchMode mode);   // a search-mode radio
    void selectPartition(int index);    // a click on a partition item (from 0)
    void selectFileSystem(int volume);  // a click on a file-system item (from 1)
    void setTypeChoice(int position);
    void setStartField(std::string text);
    void setEndField(std::string text);
    void next();
    void back();
    void stopSearch();               // "Stop Search"
    void searchMorePartitions();     // "Search More Partitions"
    void stopSearchingPartitions();  // "Stop Searching Partitions"
    // Leaving the program: asks every worker to stop and waits for them.
    // Their end reports may still be queued to the owner's thread.
    void stopWorkers();
    // A read failure or a corrupted table reported by the engine: on the
    // disk page, once until the user goes back to it, the lost-partition
    // search starts.
    void readFailureNotice();
    // Guide texts the engine sends through the observer.
    void engineGuide(std::string text);

    // "Save Log" (results only); the window's file dialog gives the path.
    // True when written.
    bool saveLog(const std::string& path);
    // "Load Log" (partition page only): the log is read and the tree rebuilt
    // on a worker behind the search page's bar; the results page follows, or
    // after a rejected log the disk page. True when the load started.
    bool loadLog(const std::string& path);
    // The file dialog of "Load Log" was cancelled: back to the disk page.
    void loadLogCancelled();

    // The folder for log files ("Path for Log File"): the temporary folder
    // when empty.
    const std::string& logFolder() const { return logFolder_; }
    void setLogFolder(std::string folder);

private:
    void changed();
    void showDiskPage();
    // "Next" on the disk page lists the partitions; "Back" keeps them.
    void enterPartitionPage(bool listPartitions);
    void fillPartitionDetails(int index);
    void startLostPartitionSearch();
    void lostPartitionSearchDone();
    void startSearch();
    void searchDone(const SearchOutcome& outcome, bool recovery);
    void loadLogDone(LogLoadOutcome outcome);
    void leavePartitionPage();
    void showFileSystemPage();
    void showResults();
    void refreshPartitionItems();

    RecoveryContext& context_;
    Post post_;
    SearchWorkers workers_;
    std::stop_source leaving_;  // the running search's later phases end: the program leaves

    WizardStep step_ = WizardStep::Inventory;
    WizardPage page_ = WizardPage::Disks;
    std::optional<SearchMode> mode_;
    std::string guide_;
    std::string modeText_;
    DetailsList details_;
    WizardControls controls_;
    std::vector<std::string> deviceItems_;
    std::vector<std::string> partitionItems_;
    std::vector<std::string> fileSystemItems_;
    std::optional<int> selectedDevice_;
    int selectedPartition_ = 0;
    int selectedVolume_ = 1;
    int typeChoice_ = 3;
    std::string startField_;
    std::string endField_;
    SearchPageValues searchPage_;
    std::string logFolder_;
    int noticeCounter_ = 1;
    int inventoriesTaken_ = 0;
    bool searchRunning_ = false;
    bool recoveryRunning_ = false;
    bool lostRunning_ = false;
    bool lostSearchEnded_ = false;  // on this visit of the disk's partition page
    bool loadRunning_ = false;
    std::jthread loader_;  // the log load; declared last: joined before the rest goes
};

}  // namespace datrevo::ui
