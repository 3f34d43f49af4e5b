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
  [recovery]="base disk catalogue partition browse fat ntfs exfat"
  [search]="base disk catalogue partition browse fat ntfs exfat recovery"
  [save]="base disk catalogue partition browse fat ntfs exfat recovery"
  [log]="base disk catalogue partition browse fat ntfs exfat recovery"
  [cli]="base disk catalogue partition browse fat ntfs exfat recovery search save log"
  [ui]="base disk catalogue partition browse fat ntfs exfat recovery search save log"
)

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
        echo "src/$file:$line: '$layer' may not include '$target/'" >&2; status=1 ;;
    esac
  done < <(grep -noE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z_]+/' "$file" |
           sed -E 's/^([0-9]+):.*"([a-z_]+)\/$/\1:\2/')
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)

if [ "$status" -eq 0 ]; then
  echo "layers: every include keeps to its layer"
fi
exit "$status"
