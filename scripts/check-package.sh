#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it:
#   - desktop-file-validate on the desktop file, appstreamcli validate on the metainfo;
#   - dpkg-deb --contents lists every installed file;
#   - lintian reports no error;
#   - unpacked into a scratch root, its datrevo-cli --version runs, and its
#     datrevo finds the guide it installed.
set -euo pipefail
cd "$(dirname "$0")/.."
id=example.vantorrel.Datrevo

desktop-file-validate "data/$id.desktop"

deb=$(scripts/package.sh | tail -n 1)
echo "package: $deb"
version=$(dpkg-deb --field "$deb" Version)

staged="build/package/install-stage/$id.metainfo.xml"
appstreamcli validate --no-net --pedantic "$staged"

# dpkg-deb prints names with blanks as they are: keep all after the date and time.
listing=$(dpkg-deb --contents "$deb" | sed -E 's/^([^ ]+ +){5}//')
missing=0
for path in \
  ./usr/bin/datrevo ./usr/bin/datrevo-cli \
  "./usr/share/doc/datrevo/Software Guide.html" ./usr/share/doc/datrevo/copyright \
  ./usr/share/doc/datrevo/changelog.gz \
  "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml" \
  "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
  "./usr/share/icons/hicolor/48x48/apps/$id.png" \
  "./usr/share/icons/hicolor/256x256/apps/$id.png" \
  ./usr/share/man/man1/datrevo-cli.1.gz ./usr/share/man/man1/datrevo.1.gz \
  ./usr/share/bash-completion/completions/datrevo-cli \
  ./usr/share/bash-completion/completions/datrevo; do
  if ! grep -qxF "$path" <<<"$listing"; then
    echo "missing from the package: $path" >&2
    missing=1
  fi
done
[ "$missing" -eq 0 ]

depends=$(dpkg-deb --field "$deb" Depends)
echo "depends: $depends"
grep -q 'libqt6widgets6' <<<"$depends" || { echo "Depends lacks the Qt libraries" >&2; exit 1; }

# lintian: errors fail the check; warnings are shown.
lintian_out=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
[ -n "$lintian_out" ] && echo "$lintian_out"
if grep -q '^E:' <<<"$lintian_out"; then
  echo "lintian reports errors" >&2
  exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
got=$("$root/usr/bin/datrevo-cli" --version)
[ "$got" = "datrevo-cli $version" ] || { echo "datrevo-cli --version says '$got'" >&2; exit 1; }
bash -n "$root/usr/share/bash-completion/completions/datrevo-cli"
man --warnings -l "$root/usr/share/man/man1/datrevo-cli.1.gz" >/dev/null 2>"$root/man-warnings" || true
if [ -s "$root/man-warnings" ]; then cat "$root/man-warnings" >&2; exit 1; fi
echo "package checks passed: $deb ($got)"
