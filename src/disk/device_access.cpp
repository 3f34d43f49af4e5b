#include "disk/device_access.h"

#include <cerrno>
#include <memory>

#include "disk/file_source.h"

namespace datrevo {

std::optional<std::string> OpenDiskForReading(DriveSlots& slots, const DiskDescription& disk,
                                              DeviceOpener* broker) {
    const DiskReader reader = slots.reader(disk.index, nullptr);
    const SectorSource* source = reader.source();
    if (source == nullptr) return OpenFailureMessage(disk.deviceId, ENOENT);
    if (source->isOpen()) return std::nullopt;
    const int error = source->openError();
    const bool lacksRights = error == EACCES || error == EPERM;
    if (!lacksRights || broker == nullptr || disk.mediaType == kMediaImage)
        return OpenFailureMessage(disk.deviceId, error);

    BrokeredOpen opened = broker->openReadOnly(disk.deviceId);
    if (opened.fd < 0) {
        std::string message = "Cannot open " + disk.deviceId +
                              " for reading: the system's disk service (udisks2) did not open it";
        if (!opened.refusal.empty()) message += ": " + opened.refusal;
        message +=
            ". Try again and allow the access when the desktop asks for your password, or run "
            "with the right to read the device (as root, or as a member of the 'disk' group).";
        return message;
    }
    auto brokered = std::make_shared<FileSource>(disk.deviceId, opened.fd);
    if (!brokered->isOpen())
        return "Cannot open " + disk.deviceId +
               " for reading: the system's disk service (udisks2) handed out a descriptor that is "
               "not read-only, and it was not used.";
    slots.assign(disk.index, std::move(brokered));
    return std::nullopt;
}

}  // namespace datrevo
