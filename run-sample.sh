#!/usr/bin/env bash
# Sets up, builds, and runs a whole recovery on the bundled sample image:
# a Standard search, the tree with deleted folders marked, the file list of
# one folder, and the recovered files saved into a folder beside the image.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh release
cli=build/release/datrevo-cli
image=build/music-player.img
recovered=build/recovered
gzip -dc samples/music-player.img.gz > "$image"
rm -rf "$recovered"
echo
echo "== Partitions of the sample disk ($image)"
"$cli" partitions "$image"
echo
echo "== Standard search of partition 1: the folder tree, and the folder Music/Old Podcasts"
"$cli" search "$image" --partition 1 --list "Music/Old Podcasts" --save "$recovered"
echo
echo "The recovered folders and files are in $(pwd)/$recovered"
