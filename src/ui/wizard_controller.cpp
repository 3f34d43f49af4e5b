#include "ui/wizard_controller.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

#include "disk/device_access.h"
#include "disk/disk_inventory.h"
#include "base/volume_kind.h"
#include "log/recovery_log.h"
#include "partition/partition_details.h"
#include "partition/partition_table.h"
#include "search/notices.h"
#include "search/search_setup.h"

namespace datrevo::ui {
namespace {

// A sector field read as a signed whole number; nothing when it holds
// anything else (letters, blanks, a fraction, an overflow).
std::optional<std::int64_t> ReadSectorField(const std::string& text) {
    std::int64_t value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc{} || end != last || text.empty()) return std::nullopt;
    return value;
}

// "7.5 GB", "512 MB": a size as a person reads it.
std::string SizeText(std::uint64_t bytes) {
    constexpr const char* kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < std::size(kUnits)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, value < 10.0 && unit > 0 ? "%.1f %s" : "%.0f %s", value,
                  kUnits[unit]);
    return text;
}

std::string TempFolder() {
    std::error_code error;
    const auto folder = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : folder.string();
}

}  // namespace

std::string DeviceTreeItemText(const DiskDescription& disk) {
    std::string text = DeviceItemText(disk);
    std::string tells;
    if (disk.mediaType == kMediaImage) {
        tells = std::filesystem::path(disk.deviceId).filename().string();
    } else {
        tells = disk.model;
        const std::uint64_t bytes = disk.totalSectors * disk.bytesPerSector;
        if (bytes > 0) tells += (tells.empty() ? "" : ", ") + SizeText(bytes);
    }
    if (!tells.empty()) text += " - " + tells;
    return text;
}

WizardController::WizardController(RecoveryContext& context, Post post)
    : context_(context), post_(std::move(post)), workers_(context) {}

WizardController::~WizardController() { stopWorkers(); }

void WizardController::changed() {
    if (!searchRunning_ && !loadRunning_) details_ = context_.details;
    if (onChange) onChange();
}

void WizardController::engineGuide(std::string text) {
    guide_ = std::move(text);
    changed();
}

void WizardController::setLogFolder(std::string folder) { logFolder_ = std::move(folder); }

void WizardController::start() {
    if (logFolder_.empty()) logFolder_ = TempFolder();
    showDiskPage();
}

// The disk page: a fresh inventory, no disk and no mode chosen.
void WizardController::showDiskPage() {
    step_ = WizardStep::Inventory;
    context_.inventory = TakeDiskInventory(context_.inventoryOptions, context_.slots);
    ++inventoriesTaken_;
    deviceItems_.clear();
    for (const DiskDescription& disk : context_.inventory.disks)
        deviceItems_.push_back(DeviceTreeItemText(disk));
    step_ = WizardStep::Disk;
    page_ = WizardPage::Disks;
    mode_.reset();
    modeText_.clear();
    selectedDevice_.reset();
    context_.details.clear();
    partitionItems_.clear();
    fileSystemItems_.clear();
    guide_ = kGuideDiskPage;
    controls_ = WizardControls{};
    changed();
}

void WizardController::refreshList() {
    if (step_ != WizardStep::Disk) return;
    showDiskPage();
}

void WizardController::selectDevice(int slot) {
    if (step_ != WizardStep::Disk) return;
    if (!ShowDiskDetails(context_.inventory, slot, context_.details, context_.currentDisk)) return;
    selectedDevice_ = slot;
    context_.search.selectedDisk = slot;
    controls_.nextEnabled = mode_.has_value();
    changed();
}

void WizardController::chooseMode(SearchMode mode) {
    if (step_ != WizardStep::Disk || !controls_.modeEnabled) return;
    mode_ = mode;
    // The mode text follows the checked mode, also after Back.
    modeText_ = std::string(SearchModeText(mode));
    controls_.nextEnabled = selectedDevice_.has_value();
    changed();
}

void WizardController::setTypeChoice(int position) {
    if (position >= 0 && position <= static_cast<int>(PartitionTypeChoice::Exfat))
        typeChoice_ = position;
}
void WizardController::setStartField(std::string text) { startField_ = std::move(text); }
void WizardController::setEndField(std::string text) { endField_ = std::move(text); }

void WizardController::refreshPartitionItems() {
    partitionItems_.clear();
    const DiskPartitionList& list = context_.selectedPartitions();
    for (std::size_t i = 0; i < list.count(); ++i)
        partitionItems_.push_back(PartitionItemText(i + 1, list.kind(i)));
    // A search of the whole disk that found nothing leaves one item for the
    // whole disk, to search it in Advance mode.
    if (partitionItems_.empty() && lostSearchEnded_) partitionItems_.push_back(kUnknownPartition);
}

// The details rows and fields of partition `index` (from 0), or of the
// whole disk when the disk lists none.
void WizardController::fillPartitionDetails(int index) {
    const DiskPartitionList& list = context_.selectedPartitions();
    const SearchMode mode = mode_.value_or(SearchMode::Standard);
    const int disk = context_.search.selectedDisk;
    PartitionDetails details;
    if (index >= 0 && static_cast<std::size_t>(index) < list.count()) {
        const PartitionRecord& record = list.record(static_cast<std::size_t>(index));
        details =
            ShowPartitionDetails(list.kind(static_cast<std::size_t>(index)), index, disk, mode,
                                 record.firstSector, record.endSector, context_.currentDisk);
    } else {
        details = ShowPartitionDetails(VolumeKind::Unknown, 0, disk, mode, 0,
                                       context_.currentDisk.totalSectors64, context_.currentDisk);
    }
    context_.details = details.rows;
    modeText_ = details.modeText;
    typeChoice_ = static_cast<int>(details.typeChoice);
    // A partition whose end is not above its start offers the disk's end.
    const std::int64_t end = details.endField > details.startField
                                 ? details.endField
                                 : static_cast<std::int64_t>(context_.currentDisk.totalSectors64);
    startField_ = std::to_string(details.startField);
    endField_ = std::to_string(end);
    controls_.typeFieldsEnabled = details.typeChoiceEnabled;
    selectedPartition_ = index;
}

void WizardController::selectPartition(int index) {
    // The lost-partition search appends to the list being read here: the
    // selection waits until it has ended or was stopped.
    if (step_ != WizardStep::Partition || searchRunning_ || lostRunning_) return;
    if (index < 0 || static_cast<std::size_t>(index) >= partitionItems_.size()) return;
    fillPartitionDetails(index);
    changed();
}

// "Next" on the disk page.
void WizardController::enterPartitionPage(bool listPartitions) {
    if (!selectedDevice_ || !mode_) return;
    if (const DiskDescription* disk = FindDisk(context_.inventory, *selectedDevice_)) {
        if (const auto message = UnsupportedSectorSizeMessage(*disk)) {
            context_.prompter.showMessage(*message, MessageIcon::Error);
            return;
        }
        // A device the user may not open is asked of the broker (udisks2)
        // here, once, when the user goes on with it; a disk that cannot be
        // read at all is said so instead of being searched for partitions.
        if (listPartitions)
            if (const auto message =
                    OpenDiskForReading(context_.slots, *disk, context_.inventoryOptions.broker)) {
                context_.prompter.showMessage(*message, MessageIcon::Error);
                return;
            }
    }
    PartitionTableResult table;
    table.partitionsListed = true;
    if (listPartitions) {
        DiskPartitionList& list = context_.selectedPartitions();
        list.clear();
        lostSearchEnded_ = false;
        table = ListPartitions(context_.selectedDisk(), context_.currentDisk.totalSectors64, list,
                               &context_.observer);
    }
    refreshPartitionItems();
    step_ = WizardStep::Partition;
    page_ = WizardPage::Partitions;
    fillPartitionDetails(0);
    controls_ = WizardControls{};
    controls_.loadLogEnabled = true;
    controls_.nextEnabled = true;
    controls_.backEnabled = true;
    controls_.refreshVisible = false;
    controls_.modeEnabled = false;
    controls_.searchMoreVisible = true;
    controls_.typeFieldsEnabled = mode_ == SearchMode::Advance;
    guide_ = kGuidePartitionPage;
    // A corrupted entry is reported while the table is read, before this
    // page is shown: its notice is acted on here, in order, not when its
    // queued copy arrives after the page has changed.
    if (!table.partitionsListed || table.corrupted) {
        // As the read-failure notice does on the disk page.
        step_ = WizardStep::Disk;
        readFailureNotice();
        step_ = WizardStep::Partition;
    }
    changed();
}

void WizardController::readFailureNotice() {
    if (step_ != WizardStep::Disk || noticeCounter_ != 1 || lostRunning_) return;
    guide_ = kGuideCorruptedTable;
    controls_.searchMoreVisible = false;
    controls_.stopSearchingVisible = true;
    startLostPartitionSearch();
    ++noticeCounter_;
    changed();
}

void WizardController::searchMorePartitions() {
    if (step_ != WizardStep::Partition || lostRunning_ || searchRunning_) return;
    controls_.searchMoreVisible = false;
    controls_.stopSearchingVisible = true;
    guide_ = kGuideLostSearching;
    startLostPartitionSearch();
    changed();
}

// Asked first (No by default); partitions found so far stay listed.
void WizardController::stopSearchingPartitions() {
    if (!lostRunning_ || !context_.prompter.askYesNo(kStopLostSearchQuestion)) return;
    if (lostRunning_) workers_.stopLostPartitionSearch();
}

void WizardController::startLostPartitionSearch() {
    lostRunning_ = workers_.startLostPartitionSearch(
        [this](const LostPartitionSearchResult&) { post_([this] { lostPartitionSearchDone(); }); });
    if (!lostRunning_) return;
    // Nothing that reads the partition list or leaves the page meanwhile.
    controls_.nextEnabled = false;
    controls_.backEnabled = false;
    controls_.loadLogEnabled = false;
    controls_.typeFieldsEnabled = false;
}

void WizardController::lostPartitionSearchDone() {
    lostRunning_ = false;
    lostSearchEnded_ = true;
    controls_.stopSearchingVisible = false;
    controls_.searchMoreVisible = step_ == WizardStep::Partition;
    if (step_ == WizardStep::Partition) {
        controls_.nextEnabled = true;
        controls_.backEnabled = true;
        controls_.loadLogEnabled = true;
        controls_.typeFieldsEnabled = mode_ == SearchMode::Advance;
        refreshPartitionItems();
        // The first partition found, or the whole disk ("Unknown Partition").
        fillPartitionDetails(0);
        guide_ = kGuideLostDone;
    }
    changed();
}

// "Next" on the partition page: the choices are checked and the search starts.
void WizardController::startSearch() {
    const bool advance = mode_ == SearchMode::Advance;
    // A partition of a kind no engine reads yet: say so instead of pointing
    // to the Advance search or the type choice.
    const DiskPartitionList& partitions = context_.selectedPartitions();
    if (typeChoice_ == 3 && selectedPartition_ >= 0 &&
        static_cast<std::size_t>(selectedPartition_) < partitions.count()) {
        const auto unsupported =
            UnsupportedKindMessage(partitions.kind(static_cast<std::size_t>(selectedPartition_)));
        if (unsupported) {
            context_.prompter.showMessage(*unsupported, MessageIcon::Error);
            guide_ = kGuideSelectPartition;
            changed();
            return;
        }
    }
    if (typeChoice_ == 3) {
        if (advance) {
            context_.prompter.showMessage(kSelectPartitionType, MessageIcon::Error);
            guide_ = kGuideSelectType;
        } else {
            context_.prompter.showMessage(kStandardNothingFoundNotice, MessageIcon::Information);
            guide_ = kGuideSelectPartition;
        }
        changed();
        return;
    }
    const std::optional<std::int64_t> start = ReadSectorField(startField_);
    if (!start || *start < 0) {
        context_.prompter.showMessage(kStartSectorInvalid, MessageIcon::Error);
        return;
    }
    const std::optional<std::int64_t> end = ReadSectorField(endField_);
    if (!end) {
        context_.prompter.showMessage(kEndSectorInvalid, MessageIcon::Error);
        return;
    }
    // The range ends where the end field says, no further than the disk.
    const auto first = static_cast<std::uint64_t>(*start);
    const std::uint64_t last = *end > 0 ? static_cast<std::uint64_t>(*end) : 0;
    if (!RangeFitsDisk(context_, first, last)) {
        if (advance) {
            context_.prompter.showMessage(kEndSectorInvalid, MessageIcon::Error);
        } else {
            context_.prompter.showMessage(kStandardNothingFoundNotice, MessageIcon::Information);
            guide_ = kGuideSelectPartition;
            changed();
        }
        return;
    }
    if (lostRunning_) {
        workers_.stopLostPartitionSearch();
        workers_.wait();
    }

    SetRangeSearch(context_, *mode_, first, last,
                   KindOfChoice(static_cast<PartitionTypeChoice>(typeChoice_)),
                   selectedPartition_ < 0 ? 0 : selectedPartition_);
    const SearchContext& search = context_.search;
    context_.details = SearchSummaryRows(context_);
    searchPage_ = {std::to_string(search.selectedDisk),
                   std::string(VolumeKindText(search.partitionKind)), search.searchModeText,
                   std::to_string(search.searchStart) + " to " + std::to_string(search.searchEnd)};
    BeginSearch(context_);

    details_ = context_.details;  // the search's summary, shown while it runs
    step_ = advance ? WizardStep::FileSystems : WizardStep::Results;
    page_ = WizardPage::Searching;
    guide_ = kGuideSearching;
    controls_ = WizardControls{};
    controls_.refreshVisible = false;
    controls_.modeEnabled = false;
    controls_.stopSearchVisible = true;
    leaving_ = std::stop_source();
    searchRunning_ = workers_.startPartitionSearch(
        [this, advance, leaving = leaving_.get_token()](const SearchOutcome& outcome) {
            // On the worker: naming the FAT folders reads every directory.
            if (!advance) CompleteResult(context_, leaving);
            post_([this, outcome] { searchDone(outcome, false); });
        });
    changed();
}

void WizardController::next() {
    if (searchRunning_ || !controls_.nextEnabled || !controls_.nextVisible) return;
    switch (step_) {
        case WizardStep::Disk: enterPartitionPage(true); return;
        case WizardStep::Partition: startSearch(); return;
        case WizardStep::FileSystems: {
            if (fileSystemItems_.empty()) return;
            guide_ = std::string(kGuideStopped);
            page_ = WizardPage::Searching;
            controls_ = WizardControls{};
            controls_.refreshVisible = false;
            controls_.modeEnabled = false;
            controls_.nextVisible = false;
            controls_.stopSearchVisible = false;  // the recovery has no scan to stop
            recoveryRunning_ = true;
            leaving_ = std::stop_source();
            searchRunning_ = workers_.startVolumeRecovery(
                selectedVolume_,
                [this, leaving = leaving_.get_token()](const SearchOutcome& outcome) {
                    CompleteResult(context_, leaving);
                    post_([this, outcome] { searchDone(outcome, true); });
                });
            changed();
            return;
        }
        default: return;
    }
}

void WizardController::stopWorkers() {
    leaving_.request_stop();
    workers_.abandonSearch();
    workers_.stopLostPartitionSearch();
    loader_.request_stop();
    workers_.wait();
    if (loader_.joinable()) loader_.join();
}

void WizardController::stopSearch() {
    if (!searchRunning_ || recoveryRunning_ || !controls_.stopSearchVisible) return;
    workers_.stopSearch();
    controls_.stopSearchVisible = false;
    changed();
}

void WizardController::searchDone(const SearchOutcome& outcome, bool recovery) {
    searchRunning_ = false;
    recoveryRunning_ = false;
    workers_.wait();
    if (mode_ == SearchMode::Advance && !recovery) {
        fileSystemItems_.clear();
        const CatalogueTable& volumes = context_.catalogue.VolumeTable;
        for (int row = 0; row < volumes.count(); ++row)
            fileSystemItems_.push_back("File System " + std::to_string(row + 1) + " - " +
                                       volumes.cell(row, boot_col::PartType));
        showFileSystemPage();
        const bool ntfs = context_.search.partitionKind == VolumeKind::Ntfs;
        guide_ = outcome.volumesFound == 0 ? std::string(kGuideAdvanceNothing)
                 : ntfs                    ? std::string(kGuideNtfsProceed)
                                           : std::string(kGuideAdvanceChoose);
        changed();
        return;
    }
    guide_ = outcome.stopped ? std::string(kGuideStopped) : std::string(kGuideStandardDone);
    showResults();
    if (outcome.stopped && !outcome.foundAnything) {  // nothing to store
        controls_.saveEnabled = false;
        controls_.saveLogEnabled = false;
    }
    changed();
}

void WizardController::showFileSystemPage() {
    step_ = WizardStep::FileSystems;
    page_ = WizardPage::FileSystems;
    controls_ = WizardControls{};
    controls_.refreshVisible = false;
    controls_.modeEnabled = false;
    controls_.backEnabled = true;
    controls_.nextEnabled = !fileSystemItems_.empty();
    if (selectedVolume_ < 1 || selectedVolume_ > static_cast<int>(fileSystemItems_.size()))
        selectedVolume_ = 1;
    context_.details = FileSystemDetails(context_, selectedVolume_);
}

void WizardController::selectFileSystem(int volume) {
    if (step_ != WizardStep::FileSystems || searchRunning_) return;
    if (volume < 1 || volume > static_cast<int>(fileSystemItems_.size())) return;
    selectedVolume_ = volume;
    context_.details = FileSystemDetails(context_, volume);
    changed();
}

void WizardController::showResults() {
    step_ = WizardStep::Results;
    page_ = WizardPage::Results;
    controls_ = WizardControls{};
    controls_.refreshVisible = false;
    controls_.modeEnabled = false;
    controls_.nextVisible = mode_ != SearchMode::Advance;
    controls_.backEnabled = true;
    controls_.saveEnabled = true;
    controls_.saveLogEnabled = true;
}

void WizardController::back() {
    if (searchRunning_ || !controls_.backEnabled) return;
    switch (step_) {
        case WizardStep::Partition: leavePartitionPage(); return;
        case WizardStep::FileSystems:
            selectedVolume_ = 1;
            fileSystemItems_.clear();
            enterPartitionPage(false);
            return;
        case WizardStep::Results:
            if (mode_ == SearchMode::Advance) {
                showFileSystemPage();
                guide_ = kGuideAdvanceChoose;
                changed();
            } else {
                enterPartitionPage(false);
            }
            return;
        default: return;
    }
}

bool WizardController::saveLog(const std::string& path) {
    if (!resultReady()) return false;
    return SaveRecoveryLog(path, context_, context_.prompter);
}

// Back to the disk page: the partitions of the disk are listed afresh.
void WizardController::leavePartitionPage() {
    if (lostRunning_) {
        workers_.stopLostPartitionSearch();
        workers_.wait();
        lostRunning_ = false;
    }
    noticeCounter_ = 1;
    lostSearchEnded_ = false;
    context_.selectedPartitions().clear();
    showDiskPage();
}

bool WizardController::loadLog(const std::string& path) {
    if (step_ != WizardStep::Partition || searchRunning_ || lostRunning_ || loadRunning_)
        return false;
    if (loader_.joinable()) loader_.join();  // an earlier load's ended thread
    step_ = WizardStep::Results;
    page_ = WizardPage::Searching;
    guide_ = std::string(kLogPleaseWait);
    controls_ = WizardControls{};
    controls_.refreshVisible = false;
    controls_.modeEnabled = false;
    controls_.nextVisible = false;
    searchPage_ = {};
    loadRunning_ = true;
    loader_ = std::jthread([this, path](std::stop_token stop) {
        const LogLoadOutcome outcome = LoadRecoveryLog(path, context_, context_.prompter, stop);
        if (outcome == LogLoadOutcome::Loaded) CompleteResult(context_, stop);
        post_([this, outcome] { loadLogDone(outcome); });
    });
    changed();
    return true;
}

void WizardController::loadLogDone(LogLoadOutcome outcome) {
    loadRunning_ = false;
    if (loader_.joinable()) loader_.join();
    if (outcome != LogLoadOutcome::Loaded) {
        // Rejected (its message was shown), or stopped by leaving.
        step_ = WizardStep::Partition;
        leavePartitionPage();
        return;
    }
    mode_ = context_.search.mode;
    guide_ = std::string(kLogLoadedGuide);
    showResults();
    changed();
}

void WizardController::loadLogCancelled() {
    if (step_ == WizardStep::Partition && !searchRunning_ && !lostRunning_ && !loadRunning_)
        leavePartitionPage();
}

}  // namespace datrevo::ui
