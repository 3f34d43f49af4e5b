#!/usr/bin/env bash
# Fails when a file under src/ includes a folder that its layer may not see.
#
# The layers, from the bottom:
#   base                      byte decoding, names, limits, interfaces
#   disk, catalogue           the sector reader and inventory; the plain tables
#   partition, browse         partition tables; the folder tree and file rows
#   fat, ntfs, exfat          the engines, never each other
#   recovery                  the recovery context that holds one recovery's state
#   search, save, log         workers, saving and the recovery log, above the engines
#   cli, ui                   the front ends, never each other
# A folder may include itself and the folders listed for it below.
set -euo pipefail
cd "$(dirname "$0")/../src"

declare -A allowed=(
  [base]=""
  [disk]="base"
  [catalogue]="base"
  [partition]="base disk"
  [browse]="base disk catalogue"
  [fat]="base disk catalogue browse"
  [ntfs]="base disk catalogue browse"
  [exfat]="base disk catalogue browse"
  [recovery]="base disk catalogue partition browse fat ntfs"
  [search]="base disk catalogue partition browse fat ntfs recovery"
  [save]="base disk catalogue partition browse fat ntfs recovery"
  [log]="base disk catalogue partition browse fat ntfs recovery"
  [cli]="base disk catalogue partition browse fat ntfs recovery search save log"
  [ui]="base disk catalogue partition browse fat ntfs recovery search save log"
)

# Known crossings, each to be taken away by moving the piece to its layer:
# the details rows belong in base/, the FAT folder reader in fat/, the
# recovery context in recovery/, and NTFS needs a geometry of its own. A
# crossing not listed here fails the check; a listed one that is gone is
# reported so that the list only shrinks.
known=(
  "browse/fat_folder_reader.cpp:fat" "browse/fat_folder_reader.h:fat"
  "disk/disk_inventory.h:catalogue" "partition/partition_details.h:catalogue"
  "log/log_context.h:search" "log/recovery_log.h:search" "save/save_setup.h:search"
  "ntfs/boot_record.h:fat" "ntfs/ntfs_search_scope.h:fat"
)
declare -A seen=()

status=0
while IFS= read -r file; do
  layer=${file%%/*}
  if [ -z "${allowed[$layer]+set}" ]; then
    echo "$file: folder '$layer' has no layer in scripts/check-layers.sh" >&2
    status=1
    continue
  fi
  while IFS=: read -r line target; do
    [ "$target" = "$layer" ] && continue
    case " ${allowed[$layer]} " in
      *" $target "*) ;;
      *)
        if [[ " ${known[*]} " == *" $file:$target "* ]]; then
          seen["$file:$target"]=1
        else
          echo "src/$file:$line: '$layer' may not include '$target/'" >&2; status=1
        fi ;;
    esac
  done < <(grep -noE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z_]+/' "$file" |
           sed -E 's/^([0-9]+):.*"([a-z_]+)\/$/\1:\2/')
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)

for crossing in "${known[@]}"; do
  if [ -z "${seen[$crossing]+set}" ]; then
    echo "scripts/check-layers.sh: '$crossing' no longer crosses; take it off the known list" >&2
    status=1
  fi
done
if [ "$status" -eq 0 ]; then
  echo "layers: every include keeps to its layer (${#known[@]} known crossings left)"
fi
exit "$status"
