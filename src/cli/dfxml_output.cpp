#include "cli/dfxml_output.h"

#include <vector>

#include "base/limits.h"
#include "base/volume_kind.h"
#include "cli/command_line.h"
#include "cli/machine_text.h"
#include "cli/result_walk.h"
#include "recovery/result_volume_choice.h"
#include "search/result_folder_lister.h"

namespace datrevo::cli {
namespace {

struct ByteRun {
    std::uint64_t fileOffset = 0;
    std::uint64_t diskByte = 0;
    std::uint64_t length = 0;
};

// The runs of a file's contents, adjacent pieces joined.
std::vector<ByteRun> RunsOf(const ContentSource& source, const ContentReader& volume) {
    std::vector<ByteRun> runs;
    volume.mapContent(
        source, [&runs](std::uint64_t fileOffset, std::uint64_t diskByte, std::uint64_t length) {
            if (!runs.empty()) {
                ByteRun& last = runs.back();
                if (last.fileOffset + last.length == fileOffset &&
                    last.diskByte + last.length == diskByte) {
                    last.length += length;
                    return;
                }
            }
            runs.push_back({fileOffset, diskByte, length});
        });
    return runs;
}

// The first sector of the volume: its boot sector.
std::uint64_t VolumeStart(const RecoveryContext& context) {
    const FatLayout& layout = context.activeLayout;
    if (IsNtfsResult(context)) return layout.cluster0Start;
    return layout.firstFat >= layout.reservedSectors ? layout.firstFat - layout.reservedSectors
                                                     : context.search.searchStart;
}

}  // namespace

void WriteDfxml(std::ostream& out, RecoveryContext& context, const std::string& imagePath) {
    const std::unique_ptr<ResultVolume> volume = MakeResultVolume(context);
    const std::uint64_t volumeByte = VolumeStart(context) * limits::kSectorSize;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<dfxml xmlns=\"http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" version=\"1.0\">\n"
           "  <metadata>\n    <dc:type>File system walk</dc:type>\n  </metadata>\n"
           "  <creator version=\"1.0\">\n    <program>datrevo-cli</program>\n    <version>"
        << XmlEscaped(VersionText()) << "</version>\n  </creator>\n"
        << "  <source>\n    <image_filename>" << XmlEscaped(imagePath)
        << "</image_filename>\n  </source>\n"
        << "  <volume offset=\"" << volumeByte << "\">\n"
        << "    <partition_offset>" << volumeByte << "</partition_offset>\n"
        << "    <ftype_str>" << XmlEscaped(VolumeKindText(context.activeLayout.kind))
        << "</ftype_str>\n"
        << "    <block_size>"
        << std::uint64_t{context.activeLayout.sectorsPerCluster} * limits::kSectorSize
        << "</block_size>\n";
    const auto fileObject = [&](const ResultEntry& entry) {
        out << "    <fileobject>\n"
            << "      <filename>" << XmlEscaped(entry.path) << "</filename>\n"
            << "      <name_type>" << (entry.folder ? 'd' : 'r') << "</name_type>\n"
            << "      <filesize>" << entry.size << "</filesize>\n"
            << "      <alloc>" << (entry.state == EntryState::Live ? 1 : 0) << "</alloc>\n";
        if (entry.first) out << "      <inode>" << *entry.first << "</inode>\n";
        if (!entry.modified.empty()) out << "      <mtime>" << entry.modified << "</mtime>\n";
        if (!entry.folder) {
            const std::vector<ByteRun> runs = RunsOf(entry.source, *volume);
            if (!runs.empty()) {
                out << "      <byte_runs>\n";
                for (const ByteRun& run : runs)
                    out << "        <byte_run file_offset=\"" << run.fileOffset << "\" fs_offset=\""
                        << (run.diskByte >= volumeByte ? run.diskByte - volumeByte : 0)
                        << "\" img_offset=\"" << run.diskByte << "\" len=\"" << run.length
                        << "\"/>\n";
                out << "      </byte_runs>\n";
            }
        }
        out << "    </fileobject>\n";
    };
    ResultWalk walk(context);
    walk.visit([&](const WalkedFolder& folder) {
        if (folder.entry.depth > 0) fileObject(folder.entry);
        for (const ResultEntry& file : folder.files) fileObject(file);
    });
    out << "  </volume>\n</dfxml>\n";
}

}  // namespace datrevo::cli
