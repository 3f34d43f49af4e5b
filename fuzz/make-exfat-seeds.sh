#!/usr/bin/env bash
# Cuts the seeds of the exFAT fuzz targets out of tests/fixtures/images/exfat.img.gz:
#   fuzz_exfat_boot       the main and backup boot regions; the backup alone
#   fuzz_exfat_entry_set  the root directory and three folders' first clusters
#   fuzz_exfat_volume     the whole volume moved close together (FAT at sector 24, cluster
#                         heap at 40, only the clusters in use kept) so that it fits in 1 MiB
#   fuzz_exfat_advance    that compact volume, without its boot regions, and without its FAT too
# make-seeds.sh runs it; it can run alone.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
image="$here/../tests/fixtures/images/exfat.img.gz"
python3 - "$image" "$here/corpus" <<'PY'
import gzip, os, struct, sys
vol = bytearray(gzip.open(sys.argv[1]).read())
corpus = sys.argv[2]
S = 512

def put(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as out:
        out.write(bytes(data))

def checksum(region):
    c = 0
    for i, b in enumerate(region[:11 * S]):
        if i in (106, 107, 112):
            continue
        c = ((0x80000000 if c & 1 else 0) + (c >> 1) + b) & 0xFFFFFFFF
    return c

def reseal(region):
    c = checksum(region)
    for i in range(0, S, 4):
        struct.pack_into("<I", region, 11 * S + i, c)

fat_offset, fat_length, heap, count, root = struct.unpack_from("<IIIII", vol, 80)
spc = 1 << vol[109]
cb = spc * S

def cluster(c):
    at = (heap + (c - 2) * spc) * S
    return vol[at:at + cb]

put("fuzz_exfat_boot", "exfat", vol[:24 * S])
put("fuzz_exfat_boot", "exfat-backup-only", bytes(12 * S) + vol[12 * S:24 * S])

# Directory clusters: the root, then the first cluster of each folder set in it.
put("fuzz_exfat_entry_set", "exfat-root", cluster(root))
rootdir = cluster(root)
names = 0
for at in range(0, cb, 32):
    if rootdir[at] in (0x85, 0x05) and struct.unpack_from("<H", rootdir, at + 4)[0] & 0x10 and names < 3:
        first = struct.unpack_from("<I", rootdir, at + 32 + 20)[0]
        put("fuzz_exfat_entry_set", "exfat-folder-%d" % names, cluster(first))
        names += 1

# The compact volume: clusters up to the last one in use.
bitmap_first = None
for at in range(0, cb, 32):
    if rootdir[at] == 0x81:
        bitmap_first = struct.unpack_from("<I", rootdir, at + 20)[0]
bitmap = cluster(bitmap_first)
last = max(i + 2 for i in range(count) if bitmap[i // 8] >> (i % 8) & 1)
keep = last - 1 + 4
new_fat, new_heap = 24, 24 + fat_length
out = bytearray(vol[:24 * S])
out += vol[fat_offset * S:(fat_offset + fat_length) * S]
out += vol[heap * S:(heap + keep * spc) * S]
for base in (0, 12 * S):
    region = out[base:base + 12 * S]
    struct.pack_into("<Q", region, 72, max(2048, new_heap + keep * spc))
    struct.pack_into("<IIII", region, 80, new_fat, fat_length, new_heap, keep)
    reseal(region)
    out[base:base + 12 * S] = region
put("fuzz_exfat_volume", "exfat-compact", out)

# The Advance search: the compact volume whole, without its boot regions, and without its FAT too.
put("fuzz_exfat_advance", "exfat-compact", out)
out[:24 * S] = bytes(24 * S)
put("fuzz_exfat_advance", "exfat-no-boot", out)
out[new_fat * S:(new_fat + fat_length) * S] = bytes(fat_length * S)
put("fuzz_exfat_advance", "exfat-no-boot-no-fat", out)
PY
ls -l "$here"/corpus/fuzz_exfat_*
