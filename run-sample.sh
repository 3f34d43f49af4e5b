#!/usr/bin/env bash
# Sets up, builds, and runs a recovery on the bundled sample image.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh release
cli=build/release/datrevo-cli
image=build/music-player.img
gzip -dc samples/music-player.img.gz > "$image"
echo
echo "== Partitions of the sample disk ($image)"
"$cli" partitions "$image"
