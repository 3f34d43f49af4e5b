#include "ui/udisks_opener.h"

#include <fcntl.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>

namespace datrevo::ui {
namespace {

constexpr const char* kService = "org.freedesktop.UDisks2";
constexpr const char* kManagerPath = "/org/freedesktop/UDisks2/Manager";
constexpr const char* kManager = "org.freedesktop.UDisks2.Manager";
constexpr const char* kBlock = "org.freedesktop.UDisks2.Block";
constexpr const char* kDrive = "org.freedesktop.UDisks2.Drive";
constexpr const char* kPartition = "org.freedesktop.UDisks2.Partition";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

// Listing is quick; an open may wait for the user to type a password.
constexpr int kListTimeoutMs = 10'000;
constexpr int kOpenTimeoutMs = 5 * 60'000;

QDBusMessage Call(const QString& path, const char* interface, const char* method,
                  const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), path,
                                       QString::fromLatin1(interface), QString::fromLatin1(method));
    call.setArguments(arguments);
    return call;
}

QVariantMap Properties(const QDBusConnection& bus, const QString& path, const char* interface) {
    const QDBusMessage reply =
        bus.call(Call(path, kProperties, "GetAll", {QString::fromLatin1(interface)}), QDBus::Block,
                 kListTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return qdbus_cast<QVariantMap>(reply.arguments().constFirst());
}

// udisks2 gives device paths as byte strings ending in a NUL.
std::string ByteString(const QVariant& value) {
    QByteArray bytes = value.toByteArray();
    while (bytes.endsWith('\0')) bytes.chop(1);
    return bytes.toStdString();
}

std::string Text(const QVariantMap& map, const char* key) {
    return map.value(QString::fromLatin1(key)).toString().trimmed().toStdString();
}

QString ObjectPath(const QVariant& value) { return qvariant_cast<QDBusObjectPath>(value).path(); }

}  // namespace

UdisksOpener::UdisksOpener() : bus_(QDBusConnection::systemBus()) {}

UdisksOpener::UdisksOpener(QDBusConnection bus) : bus_(std::move(bus)) {}

std::vector<QString> UdisksOpener::blockObjects() {
    std::vector<QString> paths;
    if (!bus_.isConnected()) return paths;
    const QDBusMessage reply = bus_.call(
        Call(QString::fromLatin1(kManagerPath), kManager, "GetBlockDevices", {QVariantMap()}),
        QDBus::Block, kListTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return paths;
    for (const QDBusObjectPath& path :
         qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().constFirst()))
        paths.push_back(path.path());
    return paths;
}

std::vector<DiskDescription> UdisksOpener::listDisks() {
    std::vector<DiskDescription> disks;
    for (const QString& path : blockObjects()) {
        // Partitions are read through their disk; a block without a drive
        // (a loop or mapped device) is not a disk of this program's kind.
        if (!Properties(bus_, path, kPartition).isEmpty()) continue;
        const QVariantMap block = Properties(bus_, path, kBlock);
        const QString drivePath = ObjectPath(block.value(QStringLiteral("Drive")));
        if (block.isEmpty() || drivePath.isEmpty() || drivePath == QStringLiteral("/")) continue;
        const QVariantMap drive = Properties(bus_, drivePath, kDrive);
        DiskDescription disk;
        disk.deviceId = ByteString(block.value(QStringLiteral("PreferredDevice")));
        if (disk.deviceId.empty())
            disk.deviceId = ByteString(block.value(QStringLiteral("Device")));
        if (disk.deviceId.empty()) continue;
        const bool removable = drive.value(QStringLiteral("Removable")).toBool() ||
                               drive.value(QStringLiteral("MediaRemovable")).toBool();
        disk.mediaType = removable ? kMediaRemovable : kMediaFixed;
        const std::string vendor = Text(drive, "Vendor");
        const std::string model = Text(drive, "Model");
        disk.model = vendor.empty() ? model : model.empty() ? vendor : vendor + " " + model;
        disk.serialNumber = Text(drive, "Serial");
        disk.firmwareRevision = Text(drive, "Revision");
        disk.interfaceType = Text(drive, "ConnectionBus");  // the inventory names the bus
        disk.sizeInBytes = block.value(QStringLiteral("Size")).toULongLong();
        disk.pnpDeviceId = path.toStdString();
        disks.push_back(std::move(disk));
    }
    return disks;
}

std::optional<QString> UdisksOpener::blockObjectOf(const std::string& devicePath) {
    for (const QString& path : blockObjects()) {
        const QVariantMap block = Properties(bus_, path, kBlock);
        if (ByteString(block.value(QStringLiteral("Device"))) == devicePath ||
            ByteString(block.value(QStringLiteral("PreferredDevice"))) == devicePath)
            return path;
        const auto links = qdbus_cast<QList<QByteArray>>(block.value(QStringLiteral("Symlinks")));
        for (const QByteArray& link : links)
            if (ByteString(link) == devicePath) return path;
    }
    return std::nullopt;
}

BrokeredOpen UdisksOpener::openReadOnly(const std::string& devicePath) {
    BrokeredOpen result;
    if (!bus_.isConnected()) {
        result.refusal = "there is no system bus to reach it";
        return result;
    }
    const std::optional<QString> object = blockObjectOf(devicePath);
    if (!object) {
        result.refusal = "it does not know the device, or it is not running";
        return result;
    }
    QDBusMessage call = Call(*object, kBlock, "OpenDevice", {QStringLiteral("r"), QVariantMap()});
    call.setInteractiveAuthorizationAllowed(true);
    QDBusMessage reply = bus_.call(call, QDBus::Block, kOpenTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod")) {
        // udisks2 before 2.7.3 has no OpenDevice; OpenForBackup opens read-only.
        call = Call(*object, kBlock, "OpenForBackup", {QVariantMap()});
        call.setInteractiveAuthorizationAllowed(true);
        reply = bus_.call(call, QDBus::Block, kOpenTimeoutMs);
    }
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        result.refusal =
            reply.errorMessage().isEmpty() ? "no answer" : reply.errorMessage().toStdString();
        return result;
    }
    const auto descriptor = qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
    // The message's descriptor closes with it: keep a copy of our own.
    result.fd =
        descriptor.isValid() ? ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 0) : -1;
    if (result.fd < 0) result.refusal = "its answer held no descriptor";
    return result;
}

}  // namespace datrevo::ui
