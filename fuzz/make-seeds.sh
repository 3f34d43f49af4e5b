#!/usr/bin/env bash
# Cuts the seed corpora of the fuzz targets out of the fixture images:
# fuzz/corpus/<target>/seed-*, each a few KiB. Run from anywhere:
#   fuzz/make-seeds.sh [path to datrevo-cli]
# The recovery-log seeds need a datrevo-cli to write logs of two fixtures;
# without one those seeds are left as they are.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
images="$here/../tests/fixtures/images"
corpus="$here/corpus"
cli="${1:-}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for name in fat16 fat32 ntfs mbr-primary mbr-extended; do
  zcat "$images/$name.img.gz" > "$work/$name.img"
done

python3 - "$work" "$corpus" <<'PY'
import os, struct, sys
work, corpus = sys.argv[1], sys.argv[2]
S = 512

def image(name):
    return open(os.path.join(work, name + ".img"), "rb").read()

def put(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as out:
        out.write(data)

fat16, fat32, ntfs = image("fat16"), image("fat32"), image("ntfs")
primary, extended = image("mbr-primary"), image("mbr-extended")

# Partition tables: the MBR alone, and the extended chain moved close
# together (EBR link fields rewritten) so that the whole chain fits in a
# few KiB: the extended partition starts at sector 4, its EBRs 2 apart.
put("fuzz_partition_table", "mbr-primary", primary[:S])
mbr = bytearray(extended[:S])
ext_start = struct.unpack_from("<I", mbr, 0x1BE + 16 + 8)[0]
struct.pack_into("<II", mbr, 0x1BE + 16 + 8, 4, 12)
disk = bytearray(mbr) + bytearray(3 * S)
ebr_at, index = ext_start, 0
while ebr_at and index < 8:
    ebr = bytearray(extended[ebr_at * S:(ebr_at + 1) * S])
    # The volume entry keeps a small relative start; the link points at the
    # next record, 2 sectors on.
    struct.pack_into("<II", ebr, 0x1BE + 8, 1, 1)
    link = struct.unpack_from("<I", extended, ebr_at * S + 0x1BE + 16 + 8)[0]
    if link:
        struct.pack_into("<II", ebr, 0x1BE + 16 + 8, 2 * (index + 1), 2)
    disk += ebr + bytearray(S)
    ebr_at = ext_start + link if link else 0
    index += 1
put("fuzz_partition_table", "mbr-extended-chain", bytes(disk))
put("fuzz_partition_table", "fat16-volume", fat16[:S])

# FAT boot records with the sectors after them.
put("fuzz_fat_boot", "fat16", fat16[:8 * S])
put("fuzz_fat_boot", "fat32", fat32[:8 * S])
put("fuzz_fat_boot", "fat32-backup-only", bytes(S * 6) + fat32[6 * S:8 * S])

def fat_layout(vol):
    spc = vol[13]
    reserved = struct.unpack_from("<H", vol, 14)[0]
    fats = vol[16]
    root_entries = struct.unpack_from("<H", vol, 17)[0]
    spf = struct.unpack_from("<H", vol, 22)[0] or struct.unpack_from("<I", vol, 36)[0]
    root_sectors = (root_entries * 32 + S - 1) // S
    data = reserved + fats * spf + root_sectors
    return spc, reserved, spf, data, root_sectors

# Directory sectors: the FAT16 root, the first subfolder clusters (long names,
# dot entries, deleted entries).
spc16, res16, spf16, data16, root16 = fat_layout(fat16)
root_at = res16 + 2 * spf16
put("fuzz_fat_directory", "fat16-root", fat16[root_at * S:(root_at + 4) * S])
put("fuzz_fat_directory", "fat16-folder", fat16[data16 * S:(data16 + spc16) * S][:4096])
spc32, res32, spf32, data32, _ = fat_layout(fat32)
put("fuzz_fat_directory", "fat32-root", fat32[data32 * S:(data32 + spc32) * S][:4096])

# Cluster chains: a 16-byte header (kind, spc exponent, sectors per FAT, first
# cluster, cluster0Start) then the first FAT sectors.
def chain_seed(kind, spc, fat_bytes, first):
    header = struct.pack("<BBHIH6x", kind, spc.bit_length() - 1, len(fat_bytes) // S, first, 8)
    return header + fat_bytes
put("fuzz_cluster_chain", "fat16", chain_seed(0, spc16, fat16[res16 * S:(res16 + 4) * S], 2))
put("fuzz_cluster_chain", "fat32", chain_seed(1, spc32, fat32[res32 * S:(res32 + 8) * S], 2))

# NTFS file records: $MFT (0), the root (5) and a few user records.
spc = ntfs[13]
mft = struct.unpack_from("<Q", ntfs, 48)[0] * spc * S
for number in (0, 1, 5, 16, 40, 64):
    record = ntfs[mft + number * 1024:mft + (number + 1) * 1024]
    if record[:4] == b"FILE":
        put("fuzz_ntfs_record", "ntfs-%d" % number, record)

# Index blocks: the first two found.
at, found = 0, 0
while found < 2:
    at = ntfs.find(b"INDX", at)
    if at < 0:
        break
    if at % S == 0:
        put("fuzz_index_block", "ntfs-%d" % found, ntfs[at:at + 4096])
        found += 1
    at += 4

# Whole pipeline: a kind byte (0 FAT16, 1 FAT32, 2 NTFS) and the start of a
# volume: the boot record, the FATs or the MFT, and the first directories.
put("fuzz_search_pipeline", "fat16", bytes([0]) + fat16[:(data16 + 16 * spc16) * S][:256 * 1024])
put("fuzz_search_pipeline", "fat32", bytes([1]) + fat32[:(data32 + 8 * spc32) * S][:512 * 1024])
put("fuzz_search_pipeline", "ntfs", bytes([2]) + ntfs[:mft + 64 * 1024])
PY

if [ -n "$cli" ]; then
  for name in fat16 ntfs; do
    "$cli" -q --image "$work/$name.img" search "$work/$name.img" --log "$work/$name.log" >/dev/null
    mkdir -p "$corpus/fuzz_recovery_log"
    head -c 8192 "$work/$name.log" > "$corpus/fuzz_recovery_log/seed-$name"
  done
fi
ls -l "$corpus"/*

# exFAT seeds: their own script
"$here/make-exfat-seeds.sh" > /dev/null
