#include "cli/disk_commands.h"

#include <iomanip>
#include <iostream>
#include <memory>

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "partition/partition_details.h"
#include "partition/partition_table.h"
#include "search/search_workers.h"
#include "search/volume_label.h"

namespace datrevo::cli {
namespace {

int RunDisks(const GlobalOptions& options) {
    CliSession session(options);
    if (const int status = session.checkImages(); status != kExitOk) return status;
    session.takeInventory();
    const DiskInventory& inventory = session.context().inventory;
    if (inventory.disks.empty()) {
        std::cout << "No removable disk found. Attach the player or card in disk mode, or name "
                     "an image file with --image.\n";
        return kExitOk;
    }
    std::cout << "Slot  Device                          Size        Path  (model)\n";
    for (const DiskDescription& disk : inventory.disks) {
        std::cout << std::left << std::setw(6) << disk.index << std::setw(32)
                  << DeviceItemText(disk) << std::setw(12)
                  << (std::to_string(CapacityMegabytes(disk)) + " MB") << disk.deviceId << "  ("
                  << disk.model << ")\n";
    }
    return kExitOk;
}

int RunDetails(const GlobalOptions& options, const std::string& disk) {
    CliSession session(options);
    if (const int status = session.selectDisk(disk, false); status != kExitOk) return status;
    for (const DetailsRow& row : session.context().details)
        std::cout << std::left << std::setw(28) << row.name << row.value << '\n';
    return kExitOk;
}

}  // namespace

void PrintPartitions(std::ostream& out, const DiskPartitionList& list, std::uint64_t diskSectors,
                     const DiskReader* disk) {
    out << "#   Partition                First sector    End sector      Sectors"
           "         Size"
        << (disk != nullptr ? "        Label" : "") << "\n";
    for (std::size_t i = 0; i < list.count(); ++i) {
        const PartitionRecord& record = list.record(i);
        const std::uint64_t sectors = record.endSector - record.firstSector;
        out << std::left << std::setw(4) << (i + 1) << std::setw(25)
            << PartitionItemText(i + 1, list.kind(i)) << std::setw(16) << record.firstSector
            << std::setw(16) << record.endSector << std::setw(16) << sectors;
        const std::string size = std::to_string(sectors / 2048) + " MB";
        const std::optional<std::string> label =
            disk != nullptr ? PartitionVolumeLabel(*disk, record.firstSector, list.kind(i))
                            : std::nullopt;
        if (label)
            out << std::setw(13) << size << *label << '\n';
        else
            out << size << '\n';
    }
    for (std::size_t i = 0; i < list.count(); ++i) {
        const PartitionRecord& record = list.record(i);
        if (const auto warning =
                PastDiskEndWarning(record.firstSector, record.endSector, diskSectors))
            out << PartitionItemText(i + 1, list.kind(i)) << ": " << *warning << ".\n";
        if (const auto message = UnsupportedKindMessage(list.kind(i)))
            out << PartitionItemText(i + 1, list.kind(i)) << ": " << *message << '\n';
    }
}

namespace {

void PrintTableNotes(const PartitionTableResult& result) {
    for (const std::string& note : result.notes) std::cerr << "warning: " << note << '\n';
}

}  // namespace

int ListPartitionsCommand(CliSession& session) {
    RecoveryContext& context = session.context();
    DiskPartitionList& list = context.selectedPartitions();
    list.clear();
    const PartitionTableResult result = ListPartitions(
        context.selectedDisk(), context.currentDisk.totalSectors64, list, &context.observer);
    session.observer().finishLine();
    PrintTableNotes(result);
    if (!result.partitionsListed) {
        std::cout << "No FAT16, FAT32 or NTFS partition is listed in the partition table of "
                  << context.slots.path(context.search.selectedDisk)
                  << ". Try 'datrevo-cli lost-partitions'.\n";
        return kExitNothingFound;
    }
    if (result.chainCut)
        std::cerr << "warning: the chain of extended partitions loops or is too long; it was "
                     "followed as far as it is sound\n";
    const DiskReader reader = context.selectedDisk();
    PrintPartitions(std::cout, list, context.currentDisk.totalSectors64, &reader);
    return kExitOk;
}

int CheckChosenPartition(CliSession& session, std::size_t index) {
    RecoveryContext& context = session.context();
    const DiskPartitionList& list = context.selectedPartitions();
    if (index >= list.count()) return kExitOk;
    if (const auto message = UnsupportedKindMessage(list.kind(index))) {
        std::cerr << "error: " << *message << '\n';
        return kExitFailure;
    }
    const PartitionRecord& record = list.record(index);
    if (const auto warning = PastDiskEndWarning(record.firstSector, record.endSector,
                                                context.currentDisk.totalSectors64))
        std::cerr << "warning: " << *warning
                  << "; files whose clusters lie beyond it are "
                     "marked [past disk end].\n";
    return kExitOk;
}

void SearchForLostPartitions(CliSession& session) {
    RecoveryContext& context = session.context();
    context.observer.statusText("Searching Partition...");
    SearchWorkers workers(context);
    session.observer().setWorkBytes(context.currentDisk.totalSectors64 * 512);
    workers.startLostPartitionSearch({});
    WaitWithInterrupt([&] { return workers.lostPartitionSearchRunning(); },
                      [&] { workers.stopLostPartitionSearch(); },
                      [&] { session.observer().tick(); });
    workers.wait();
    session.observer().finishLine();
}

int LostPartitionsCommand(CliSession& session) {
    RecoveryContext& context = session.context();
    DiskPartitionList& list = context.selectedPartitions();
    list.clear();
    ListPartitions(context.selectedDisk(), context.currentDisk.totalSectors64, list, nullptr);
    const std::size_t listed = list.count();
    SearchForLostPartitions(session);
    if (list.count() == 0) {
        std::cout << "Unknown Partition: no FAT16, FAT32 or NTFS boot sector was found. Search "
                     "the whole disk in Advance mode: datrevo-cli search DISK --mode advance "
                     "--start 0 --end "
                  << context.currentDisk.totalSectors64 << " --kind FAT32|FAT16|NTFS\n";
        return kExitNothingFound;
    }
    std::cout << list.count() - listed << " partition(s) found beyond the partition table.\n";
    const DiskReader reader = context.selectedDisk();
    PrintPartitions(std::cout, list, context.currentDisk.totalSectors64, &reader);
    return kExitOk;
}

void RegisterDiskCommands(CLI::App& app, const GlobalOptions& options, int& exitCode) {
    auto* disks = app.add_subcommand("disks", "List the removable disks and added images");
    disks->callback([&options, &exitCode] { exitCode = RunDisks(options); });

    auto disk = std::make_shared<std::string>();
    auto* details = app.add_subcommand("details", "Show the details of a disk");
    details->add_option("DISK", *disk, "Slot number from 'disks', or an image or device path")
        ->required();
    details->callback([&options, &exitCode, disk] { exitCode = RunDetails(options, *disk); });

    auto* lost = app.add_subcommand(
        "lost-partitions", "Search a disk for lost or deleted partitions and list them all");
    lost->add_option("DISK", *disk, "Slot number from 'disks', or an image or device path")
        ->required();
    lost->callback([&options, &exitCode, disk] {
        CliSession session(options);
        exitCode = session.selectDisk(*disk);
        if (exitCode == kExitOk) exitCode = LostPartitionsCommand(session);
    });

    auto* partitions = app.add_subcommand("partitions", "List the partitions of a disk");
    partitions->add_option("DISK", *disk, "Slot number from 'disks', or an image or device path")
        ->required();
    partitions->callback([&options, &exitCode, disk] {
        CliSession session(options);
        exitCode = session.selectDisk(*disk);
        if (exitCode == kExitOk) exitCode = ListPartitionsCommand(session);
    });
}

}  // namespace datrevo::cli
