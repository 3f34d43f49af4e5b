#!/usr/bin/env python3
"""Fills a FAT32 volume made by mkfs.fat with many folders and small files by
writing its directory clusters and file allocation tables directly: a mount
and a copy of 200,000 files would take far longer than the five minutes the
scale benchmark allows for making an image.

    make_scale_fat.py IMAGE FOLDERS FILES_PER_FOLDER

IMAGE must be a fresh FAT32 volume (mkfs.fat -F 32) large enough for the
tree: FOLDERS folders (one in 200 directly under the root, the others spread
below those), FILES_PER_FOLDER files of one cluster each in every folder,
long names throughout. One file in 20 is deleted, and so is one folder in 50
below the top level, with the files inside it: their entries start with 0xE5
and their clusters are free in the FAT, as a delete leaves them. Prints the
counts of live and deleted folders and files.
"""
import struct
import sys

END_OF_CHAIN = 0x0FFFFFFF
DELETED = 0xE5
ATTR_DIR = 0x10
ATTR_ARCHIVE = 0x20
ATTR_LFN = 0x0F
DATE = ((2024 - 1980) << 9) | (5 << 5) | 17  # 17 May 2024
TIME = (14 << 11) | (30 << 5)                # 14:30:00


class Volume:
    def __init__(self, path):
        self.file = open(path, "r+b")
        boot = self.file.read(512)
        self.bytes_per_sector = struct.unpack_from("<H", boot, 11)[0]
        self.spc = boot[13]
        self.reserved = struct.unpack_from("<H", boot, 14)[0]
        self.fats = boot[16]
        total16 = struct.unpack_from("<H", boot, 19)[0]
        total32 = struct.unpack_from("<I", boot, 32)[0]
        self.fat_sectors = struct.unpack_from("<I", boot, 36)[0]
        self.root_cluster = struct.unpack_from("<I", boot, 44)[0]
        self.fsinfo = struct.unpack_from("<H", boot, 48)[0]
        if boot[82:87] != b"FAT32" or self.bytes_per_sector != 512:
            sys.exit("not a FAT32 volume with 512-byte sectors")
        total = total32 or total16
        self.data_start = self.reserved + self.fats * self.fat_sectors
        self.cluster_bytes = self.spc * 512
        self.clusters = (total - self.data_start) // self.spc
        self.fat = [0] * (self.clusters + 2)
        self.fat[0] = 0x0FFFFFF8
        self.fat[1] = 0x0FFFFFFF
        self.fat[self.root_cluster] = END_OF_CHAIN
        self.next_free = self.root_cluster + 1

    def allocate(self, count, live=True):
        first = self.next_free
        if first + count > self.clusters + 2:
            sys.exit("the image is too small for the tree")
        self.next_free += count
        if live:
            for c in range(first, first + count - 1):
                self.fat[c] = c + 1
            self.fat[first + count - 1] = END_OF_CHAIN
        return first

    def write_cluster_run(self, first, data):
        self.file.seek((self.data_start + (first - 2) * self.spc) * 512)
        self.file.write(data)

    def finish(self):
        table = struct.pack("<%dI" % len(self.fat), *self.fat)
        for copy in range(self.fats):
            self.file.seek((self.reserved + copy * self.fat_sectors) * 512)
            self.file.write(table)
        if self.fsinfo:
            self.file.seek(self.fsinfo * 512 + 488)
            self.file.write(struct.pack("<II", 0xFFFFFFFF, 0xFFFFFFFF))  # unknown
        self.file.close()


def short_entry(name83, attr, cluster, size, deleted):
    raw = bytearray(name83)
    if deleted:
        raw[0] = DELETED
    return struct.pack("<11sBBBHHHHHHHI", bytes(raw), attr, 0, 0, TIME, DATE, DATE,
                       cluster >> 16, TIME, DATE, cluster & 0xFFFF, size)


def checksum(name83):
    total = 0
    for byte in name83:
        total = (((total & 1) << 7) + (total >> 1) + byte) & 0xFF
    return total


def long_entries(name, name83, deleted):
    units = list(name.encode("utf-16-le"))
    chars = [units[i] | (units[i + 1] << 8) for i in range(0, len(units), 2)]
    if len(chars) % 13:
        chars += [0] + [0xFFFF] * (12 - len(chars) % 13)
    pieces = [chars[i:i + 13] for i in range(0, len(chars), 13)]
    total = checksum(name83)
    out = []
    for index in range(len(pieces), 0, -1):
        piece = pieces[index - 1]
        order = index | (0x40 if index == len(pieces) else 0)
        entry = struct.pack("<B5HBBB6HH2H", DELETED if deleted else order, *piece[0:5], ATTR_LFN,
                            0, total, *piece[5:11], 0, *piece[11:13])
        out.append(entry)
    return out


def entries_for(name, name83, attr, cluster, size, deleted):
    return b"".join(long_entries(name, name83, deleted)) + short_entry(
        name83, attr, cluster, size, deleted)


def dot_entries(own, parent):
    return (short_entry(b".          ", ATTR_DIR, own, 0, False) +
            short_entry(b"..         ", ATTR_DIR, parent, 0, False))


def main():
    image, folder_count, per_folder = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    volume = Volume(image)
    top_count = max(1, folder_count // 200)
    below = folder_count - top_count
    # Folder i: its parent (None: the root), name, whether deleted.
    folders = []
    for t in range(top_count):
        folders.append((None, "Artist %04d" % t, False))
    for s in range(below):
        deleted = s % 50 == 49
        folders.append((s % top_count, "Album %06d of the collection" % s, deleted))
    children = {None: []}
    for i, (parent, _, _) in enumerate(folders):
        children.setdefault(parent, []).append(i)

    # Directory sizes first: every folder's entries decide its cluster count.
    per_entry = lambda name: (len(name) + 12) // 13 + 1
    file_name = lambda f, n: "Track %02d of folder %06d.mp3" % (n, f)
    def directory_bytes(i):
        size = 64 if i is not None else 0
        for child in children.get(i, []):
            size += 32 * per_entry(folders[child][1])
        if i is not None:
            size += per_folder * 32 * per_entry(file_name(i, 0))
        return size
    cluster_of = {}
    clusters_of = {}
    for i in range(len(folders)):
        count = max(1, -(-directory_bytes(i) // volume.cluster_bytes))
        cluster_of[i] = volume.allocate(count, live=not folders[i][2])
        clusters_of[i] = count
    root_bytes = directory_bytes(None)
    root_extra = max(1, -(-root_bytes // volume.cluster_bytes))
    # The root keeps its first cluster; the rest of it follows in a new run.
    if root_extra > 1:
        more = volume.allocate(root_extra - 1)
        volume.fat[volume.root_cluster] = more
    root_clusters = [volume.root_cluster] + (list(range(more, more + root_extra - 1))
                                             if root_extra > 1 else [])

    counts = {"folders": 0, "deleted folders": 0, "files": 0, "deleted files": 0}
    serial = 0
    def folder_entry(child):
        nonlocal serial
        serial += 1
        name83 = ("D%07d   " % serial).encode()
        deleted = folders[child][2]
        counts["deleted folders" if deleted else "folders"] += 1
        return entries_for(folders[child][1], name83, ATTR_DIR, cluster_of[child], 0, deleted)

    root = b"".join(folder_entry(child) for child in children[None])
    root = root.ljust(root_extra * volume.cluster_bytes, b"\0")
    for k, cluster in enumerate(root_clusters):
        volume.write_cluster_run(cluster, root[k * volume.cluster_bytes:(k + 1) * volume.cluster_bytes])

    for i, (parent, _, folder_deleted) in enumerate(folders):
        parent_cluster = 0 if parent is None else cluster_of[parent]
        parts = [dot_entries(cluster_of[i], parent_cluster)]
        parts += [folder_entry(child) for child in children.get(i, [])]
        first_file = volume.allocate(per_folder, live=False)
        for n in range(per_folder):
            serial += 1
            deleted = folder_deleted or serial % 20 == 0
            cluster = first_file + n
            if not deleted:
                volume.fat[cluster] = END_OF_CHAIN
            body = ("%s, file %d of folder %d\n" % (folders[i][1], n, i)).encode()
            volume.write_cluster_run(cluster, body)
            name83 = ("F%07dMP3" % serial).encode()
            parts.append(entries_for(file_name(i, n), name83, ATTR_ARCHIVE, cluster, len(body),
                                     deleted))
            counts["deleted files" if deleted else "files"] += 1
        data = b"".join(parts).ljust(clusters_of[i] * volume.cluster_bytes, b"\0")
        volume.write_cluster_run(cluster_of[i], data)
    volume.finish()
    print(" ".join("%d %s" % (v, k) for k, v in counts.items()))


if __name__ == "__main__":
    main()
