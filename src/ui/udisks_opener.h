// The window's broker for devices: udisks2 on the system bus
// (org.freedesktop.UDisks2). It lists the whole-disk block devices with their
// drive's model, serial and bus, and opens a device read-only with
// Block.OpenDevice("r") (OpenForBackup on an older udisks2), which lets the
// desktop ask the user for the right once. Without a bus or without udisks2
// it lists nothing and refuses with a sentence saying so.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <optional>

#include "disk/device_opener.h"

namespace datrevo::ui {

class UdisksOpener final : public DeviceOpener {
public:
    // On the system bus (DBUS_SYSTEM_BUS_ADDRESS, or the usual socket).
    UdisksOpener();
    // On a given connection (tests run a private bus).
    explicit UdisksOpener(QDBusConnection bus);

    BrokeredOpen openReadOnly(const std::string& devicePath) override;
    std::vector<DiskDescription> listDisks() override;

private:
    std::vector<QString> blockObjects();
    std::optional<QString> blockObjectOf(const std::string& devicePath);

    QDBusConnection bus_;
};

}  // namespace datrevo::ui
