#include "log/log_decoder.h"

#include "base/byte_view.h"
#include "base/limits.h"
#include "base/text_codec.h"

namespace datrevo {
namespace {

// Fixed part of a folder record after its 4-byte length field and name:
// own number 4, parent 4, date 8, time 8, deleted flag 1.
constexpr std::size_t kFolderFixedBytes = 25;
// Smallest folder record: length field plus the fixed part, empty name.
constexpr std::size_t kMinFolderRecordBytes = 4 + kFolderFixedBytes;
// Fixed part of a file record after its name: sector 4, self 4, parent 4,
// date 8, size 4, deleted 4.
constexpr std::size_t kFileFixedBytes = 28;
constexpr std::size_t kMinFileRecordBytes = 4 + kFileFixedBytes;
// Records decoded between two looks at the stop token.
constexpr std::size_t kStopCheckInterval = 4096;

// Code points of Windows-1252 bytes 0x80 to 0x9F; the five unassigned bytes
// keep their C1 code points.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string text;
    for (char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        AppendUtf8(text, byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80]
                                                      : static_cast<char32_t>(byte));
    }
    return text;
}

// A cursor over the log that fails instead of reading past the end.
class LogReader {
public:
    explicit LogReader(std::span<const std::uint8_t> bytes) : view_(bytes) {}

    std::size_t offset() const { return offset_; }
    std::size_t remaining() const { return view_.size() - offset_; }
    bool seek(std::size_t offset) {
        if (offset > view_.size()) return false;
        offset_ = offset;
        return true;
    }
    bool u8(std::uint8_t& value) { return fixed(value, 1); }
    bool le32(std::uint32_t& value) { return fixed(value, 4); }
    bool le64(std::uint64_t& value) { return fixed(value, 8); }
    bool text(std::size_t length, std::string& value) {
        if (!view_.has(offset_, length)) return false;
        const auto bytes = view_.span().subspan(offset_, length);
        value.assign(bytes.begin(), bytes.end());
        offset_ += length;
        return true;
    }

private:
    template <typename T>
    bool fixed(T& value, std::size_t width) {
        if (!view_.has(offset_, width)) return false;
        value = static_cast<T>(view_.readLittleEndian(offset_, width));
        offset_ += width;
        return true;
    }

    ByteView view_;
    std::size_t offset_ = 0;
};

class LogDecoder {
public:
    LogDecoder(std::span<const std::uint8_t> bytes, std::stop_token stop)
        : in_(bytes), stop_(std::move(stop)) {}

    DecodedLog run() {
        if (!readModel()) return std::move(result_);
        if (readHeader() && readFolders() && readFiles()) result_.status = LogDecodeStatus::Decoded;
        return std::move(result_);
    }

private:
    bool fail(LogDecodeStatus status, std::string what) {
        result_.status = status;
        result_.problem = std::move(what) + " at byte " + std::to_string(in_.offset());
        return false;
    }
    bool damaged(std::string what) { return fail(LogDecodeStatus::Damaged, std::move(what)); }

    bool readModel() {
        std::uint32_t length = 0;
        if (!in_.seek(kLogSignature.size()) || !in_.le32(length))
            return fail(LogDecodeStatus::ModelUnreadable, "log too short for the model length");
        if (length > kLogMaxShortText)
            return fail(LogDecodeStatus::ModelUnreadable, "model text longer than its field");
        if (!in_.text(length, result_.contents.modelText))
            return fail(LogDecodeStatus::ModelUnreadable, "model text cut short");
        return true;
    }

    bool shortText(std::string& value, const char* what) {
        std::uint8_t length = 0;
        if (!in_.u8(length)) return damaged(std::string(what) + " length missing");
        if (length > kLogMaxShortText) return damaged(std::string(what) + " longer than its field");
        if (!in_.text(length, value)) return damaged(std::string(what) + " cut short");
        return true;
    }

    template <std::size_t N>
    bool numbers(std::array<std::uint32_t, N>& values) {
        for (auto& value : values)
            if (!in_.le32(value)) return damaged("volume parameters cut short");
        return true;
    }

    bool readHeader() {
        auto& c = result_.contents;
        if (!in_.u8(c.searchMode) || !in_.u8(c.driveIndex) || !in_.u8(c.diskNumber) ||
            !in_.u8(c.partitionIndex))
            return damaged("search values cut short");
        if (!shortText(c.partitionKind, "partition kind text")) return false;
        if (!shortText(c.searchModeText, "search mode text")) return false;
        if (!in_.le64(c.searchStart) || !in_.le64(c.searchEnd))
            return damaged("search range cut short");
        if (!numbers(c.partitionLayout) || !numbers(c.partitionNtfs) || !numbers(c.activeLayout) ||
            !numbers(c.activeNtfs))
            return false;
        return shortText(c.activeKind, "file-system kind text");
    }

    // Reads a record count and checks the records could fit in what is left,
    // so a hostile count cannot make the reserve below allocate.
    bool count(std::uint32_t& value, std::size_t minRecordBytes, const char* what) {
        if (!in_.le32(value)) return damaged(std::string(what) + " count missing");
        if (value > in_.remaining() / minRecordBytes)
            return damaged(std::string(what) + " count " + std::to_string(value) +
                           " larger than the log");
        return true;
    }

    bool name(std::size_t length, std::string& value) {
        if (length > kLogMaxNameBytes) return damaged("name longer than 255 characters");
        if (!in_.text(length, value)) return damaged("name cut short");
        if (!IsValidUtf8(value)) value = Windows1252ToUtf8(value);
        if (Utf8Length(value) > limits::kMaxNameCharacters)
            return damaged("name longer than 255 characters");
        return true;
    }

    bool stopRequested(std::size_t index) {
        if (index % kStopCheckInterval != 0 || !stop_.stop_requested()) return false;
        fail(LogDecodeStatus::Stopped, "stopped");
        return true;
    }

    bool readFolders() {
        std::uint32_t total = 0;
        if (!count(total, kMinFolderRecordBytes, "folder")) return false;
        auto& folders = result_.contents.folders;
        folders.reserve(total);
        for (std::uint32_t i = 0; i < total; ++i) {
            if (stopRequested(i)) return false;
            LogFolderRecord folder;
            std::uint32_t length = 0;
            if (!in_.le32(length)) return damaged("folder record cut short");
            if (length < kLogFolderLengthBias) return damaged("folder record length too small");
            if (!name(length - kLogFolderLengthBias, folder.name)) return false;
            if (!in_.le32(folder.selfNumber) || !in_.le32(folder.parentNumber) ||
                !in_.le64(folder.dateValue) || !in_.le64(folder.timeValue) ||
                !in_.u8(folder.deleted))
                return damaged("folder record cut short");
            folders.push_back(std::move(folder));
        }
        return true;
    }

    bool readFiles() {
        if (!LogHasFileRows(result_.contents.activeKind)) return true;
        std::uint32_t total = 0;
        if (!count(total, kMinFileRecordBytes, "file")) return false;
        auto& files = result_.contents.files;
        files.reserve(total);
        for (std::uint32_t i = 0; i < total; ++i) {
            if (stopRequested(i)) return false;
            LogFileRecord file;
            std::uint32_t length = 0;
            std::uint64_t date = 0;
            if (!in_.le32(length)) return damaged("file record cut short");
            if (!name(length, file.name)) return false;
            if (!in_.le32(file.sector) || !in_.le32(file.selfNumber) ||
                !in_.le32(file.parentNumber) || !in_.le64(date) || !in_.le32(file.size) ||
                !in_.le32(file.deleted))
                return damaged("file record cut short");
            file.date = static_cast<std::int64_t>(date);
            files.push_back(std::move(file));
        }
        return true;
    }

    LogReader in_;
    std::stop_token stop_;
    DecodedLog result_;
};

}  // namespace

DecodedLog DecodeRecoveryLog(std::span<const std::uint8_t> bytes, std::stop_token stop) {
    return LogDecoder(bytes, std::move(stop)).run();
}

}  // namespace datrevo
