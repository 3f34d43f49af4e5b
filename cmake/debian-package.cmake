# The Debian package: `cpack -G DEB` in a release build (scripts/package.sh).
# Its dependencies are computed from the binaries by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME "datrevo")
set(CPACK_PACKAGE_VENDOR "Vantorrel")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Vantorrel <support@vantorrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "read-only recovery of files from memory cards and USB sticks")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantorrel <support@vantorrel.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "admin")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.vantorrel.example/datrevo")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udisks2")
# The synopsis is the summary above; CPack indents these lines and writes the
# empty one as the paragraph mark.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Vantorrel Datrevo recovers folders and files from removable disks: memory
cards, USB sticks, music players attached in disk mode, and disk images made
from them. It reads the medium read-only, lists its MBR or GPT partitions,
finds lost partitions, and on FAT16, FAT32 and NTFS rebuilds the folders and
files of a volume, deleted entries and folders no longer reachable from the
root included, so that they can be saved to a safe place.

The package holds the wizard (datrevo), which asks udisks2 for read-only
access to a device instead of running as root, and the command-line tool
(datrevo-cli).")

include(CPack)
