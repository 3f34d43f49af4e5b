#include "log/log_encoder.h"

#include <limits>

#include "base/limits.h"
#include "base/text_codec.h"

namespace datrevo {
namespace {

class LogWriter {
public:
    void bytes(std::string_view text) { out_.insert(out_.end(), text.begin(), text.end()); }
    void u8(std::uint8_t value) { out_.push_back(value); }
    void le32(std::uint32_t value) { little(value, 4); }
    void le64(std::uint64_t value) { little(value, 8); }
    std::vector<std::uint8_t> take() { return std::move(out_); }

private:
    void little(std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    std::vector<std::uint8_t> out_;
};

std::string TooLong(std::string_view what, std::size_t limit, std::string_view unit) {
    return "The " + std::string(what) + " is longer than " + std::to_string(limit) + " " +
           std::string(unit) + ", which a recovery log can not store. The recovery was not saved.";
}

bool StorableName(const std::string& name) {
    return name.size() <= kLogMaxNameBytes && Utf8Length(name) <= limits::kMaxNameCharacters;
}

// Checks every text against what its field can carry, and what a loader
// accepts, before a byte is laid out.
std::string CheckTexts(const LogContents& contents) {
    if (contents.modelText.size() > kLogMaxShortText)
        return TooLong("disk's model text", kLogMaxShortText, "bytes");
    if (contents.partitionKind.size() > kLogMaxShortText)
        return TooLong("partition's file-system kind", kLogMaxShortText, "bytes");
    if (contents.searchModeText.size() > kLogMaxShortText)
        return TooLong("search mode text", kLogMaxShortText, "bytes");
    if (contents.activeKind.size() > kLogMaxShortText)
        return TooLong("file-system kind", kLogMaxShortText, "bytes");
    for (const auto& folder : contents.folders)
        if (!StorableName(folder.name))
            return TooLong("name of folder \"" + folder.name + "\"", limits::kMaxNameCharacters,
                           "characters");
    if (LogHasFileRows(contents.activeKind))
        for (const auto& file : contents.files)
            if (!StorableName(file.name))
                return TooLong("name of file \"" + file.name + "\"", limits::kMaxNameCharacters,
                               "characters");
    constexpr std::size_t kMaxRecords = std::numeric_limits<std::uint32_t>::max();
    if (contents.folders.size() > kMaxRecords || contents.files.size() > kMaxRecords)
        return "The recovery holds more records than a recovery log can store. The recovery was "
               "not saved.";
    return {};
}

void WriteShortText(LogWriter& out, const std::string& text) {
    out.u8(static_cast<std::uint8_t>(text.size()));
    out.bytes(text);
}

}  // namespace

EncodedLog EncodeRecoveryLog(const LogContents& contents) {
    EncodedLog result;
    result.error = CheckTexts(contents);
    if (!result.ok()) return result;

    LogWriter out;
    out.bytes(kLogSignature);
    out.le32(static_cast<std::uint32_t>(contents.modelText.size()));
    out.bytes(contents.modelText);
    out.u8(contents.searchMode);
    out.u8(contents.driveIndex);
    out.u8(contents.diskNumber);
    out.u8(contents.partitionIndex);
    WriteShortText(out, contents.partitionKind);
    WriteShortText(out, contents.searchModeText);
    out.le64(contents.searchStart);
    out.le64(contents.searchEnd);
    for (std::uint32_t value : contents.partitionLayout) out.le32(value);
    for (std::uint32_t value : contents.partitionNtfs) out.le32(value);
    for (std::uint32_t value : contents.activeLayout) out.le32(value);
    for (std::uint32_t value : contents.activeNtfs) out.le32(value);
    WriteShortText(out, contents.activeKind);

    out.le32(static_cast<std::uint32_t>(contents.folders.size()));
    for (const auto& folder : contents.folders) {
        out.le32(static_cast<std::uint32_t>(folder.name.size()) + kLogFolderLengthBias);
        out.bytes(folder.name);
        out.le32(folder.selfNumber);
        out.le32(folder.parentNumber);
        out.le64(folder.dateValue);
        out.le64(folder.timeValue);
        out.u8(folder.deleted);
    }

    if (LogHasFileRows(contents.activeKind)) {
        out.le32(static_cast<std::uint32_t>(contents.files.size()));
        for (const auto& file : contents.files) {
            out.le32(static_cast<std::uint32_t>(file.name.size()));
            out.bytes(file.name);
            out.le32(file.sector);
            out.le32(file.selfNumber);
            out.le32(file.parentNumber);
            out.le64(static_cast<std::uint64_t>(file.date));
            out.le32(file.size);
            out.le32(file.deleted);
        }
    }
    result.bytes = out.take();
    return result;
}

}  // namespace datrevo
