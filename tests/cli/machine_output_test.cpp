// The machine-readable outputs of a result: --tsv with a fixed column set,
// ISO 8601 times and escaped names; --json as JSON Lines; --dfxml with byte
// runs that point at each file's data. Also the volume label (a name, not a
// file) and the folders rebuilt after a quick format (lost, orphan).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/cli_command.h"
#include "support/image_fixture.h"
#include "support/text_file.h"
#include "support/manifest.h"

namespace datrevo {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::Contains;
using test::ReadFileText;
using test::RunCommand;
using test::ShellQuote;

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream fields(line);
    while (std::getline(fields, cell, separator)) cells.push_back(cell);
    if (!line.empty() && line.back() == separator) cells.emplace_back();
    return cells;
}

// The TSV lines after the header, split into cells.
std::vector<std::vector<std::string>> TsvLines(const std::string& tsv) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(tsv);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) lines.push_back(Split(line, '\t'));
    return lines;
}

const std::vector<std::string>* FindPath(const std::vector<std::vector<std::string>>& lines,
                                         const std::string& path) {
    for (const auto& cells : lines)
        if (!cells.empty() && cells[0] == path) return &cells;
    return nullptr;
}

TEST(TsvOutput, EveryLineHasTheFixedColumnsWithIsoTimesStatesAndNumbers) {
    const std::regex fatTime(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)");
    const std::regex ntfsTime(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
    for (const char* fixture : {"fat16", "fat32", "ntfs"}) {
        SCOPED_TRACE(fixture);
        const bool ntfs = std::string(fixture) == "ntfs";
        const auto image = test::FixtureImage(fixture);
        const auto result = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
        ASSERT_EQ(result.status, 0);
        EXPECT_EQ(result.output.rfind(
                      "path\ttype\tsize\tmodified\tstate\tcluster_or_record\tpast_disk_end\n", 0),
                  0u);
        const auto lines = TsvLines(result.output);
        ASSERT_GT(lines.size(), 10u);
        for (const auto& cells : lines) {
            ASSERT_EQ(cells.size(), 7u) << cells[0];
            EXPECT_TRUE(cells[1] == "FILE" || cells[1] == "FOLDER") << cells[0];
            EXPECT_TRUE(cells[3].empty() || std::regex_match(cells[3], ntfs ? ntfsTime : fatTime))
                << cells[0] << ": " << cells[3];
            EXPECT_TRUE(cells[4] == "live" || cells[4] == "deleted" || cells[4] == "orphan");
            EXPECT_TRUE(std::regex_match(cells[5], std::regex(R"(\d+)"))) << cells[0];
            EXPECT_EQ(cells[6], "0");
        }
        // The manifest's deleted files are "deleted", its live ones "live".
        for (const auto& row : test::ManifestRows(fixture, "file")) {
            const auto* cells = FindPath(lines, row.path);
            if (cells == nullptr) continue;  // 8.3 names of deleted entries lose a letter
            EXPECT_EQ((*cells)[4], row.deleted ? "deleted" : "live") << row.path;
            EXPECT_EQ((*cells)[2], std::to_string(row.size)) << row.path;
        }
    }
}

TEST(TsvOutput, FatTimesKeepTheirSecondsAndAnInvalidDateIsEmpty) {
    auto bytes = test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/fat16.img.gz");
    // README.TXT's 8.3 entry in the root directory: 2026-12-08 13:45:58.
    const std::string name = "README  TXT";
    const auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
    ASSERT_NE(at, bytes.end());
    const auto entry = static_cast<std::size_t>(at - bytes.begin());
    const std::uint16_t time = (13 << 11) | (45 << 5) | (58 / 2);
    const std::uint16_t date = ((2026 - 1980) << 9) | (12 << 5) | 8;
    bytes[entry + 22] = time & 0xFF;
    bytes[entry + 23] = time >> 8;
    bytes[entry + 24] = date & 0xFF;
    bytes[entry + 25] = date >> 8;
    // empty.txt: month 13.
    const std::string empty = "EMPTY   TXT";
    const auto other = std::search(bytes.begin(), bytes.end(), empty.begin(), empty.end());
    ASSERT_NE(other, bytes.end());
    const auto second = static_cast<std::size_t>(other - bytes.begin());
    const std::uint16_t wrong = ((2020 - 1980) << 9) | (13 << 5) | 1;
    bytes[second + 24] = wrong & 0xFF;
    bytes[second + 25] = wrong >> 8;
    const auto image = test::CraftedImage(bytes);
    const auto lines =
        TsvLines(RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv")).output);
    const auto* readme = FindPath(lines, "README.TXT");
    ASSERT_NE(readme, nullptr);
    EXPECT_EQ((*readme)[3], "2026-12-08T13:45:58");
    const auto* emptyFile = FindPath(lines, "empty.txt");
    ASSERT_NE(emptyFile, nullptr);
    EXPECT_EQ((*emptyFile)[3], "");
}

// A long name with a tab and a newline in a crafted FAT directory: FAT
// listings take no name with control characters, so the entry is left out,
// and no line of the TSV is broken by it.
TEST(TsvOutput, AFatNameWithATabAndANewlineBreaksNoLine) {
    auto bytes = test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/fat16.img.gz");
    // "old notes.txt" is a long name: its UTF-16 units in the long-name entry.
    const std::vector<std::uint8_t> units = {'o', 0, 'l', 0, 'd', 0, ' ', 0, 'n', 0};
    const auto at = std::search(bytes.begin(), bytes.end(), units.begin(), units.end());
    ASSERT_NE(at, bytes.end());
    at[2] = '\t';  // "o\td\nnotes.txt"
    at[6] = '\n';
    const auto image = test::CraftedImage(bytes);
    const auto result = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
    ASSERT_EQ(result.status, 0);
    const auto lines = TsvLines(result.output);
    EXPECT_GT(lines.size(), 10u);
    for (const auto& cells : lines) EXPECT_EQ(cells.size(), 7u) << cells[0];
    EXPECT_FALSE(Contains(result.output, "otes.txt\tFILE")) << result.output;
}

// An NTFS result stored in a log whose names were edited to hold a tab, a
// newline, a carriage return, a backslash and a byte that is not UTF-8.
class HostileNames : public ::testing::Test {
protected:
    void SetUp() override {
        image_ = test::FixtureImage("ntfs");
        dir_ = test::MakeTempDir("hostile");
        log_ = (dir_ / "scan.MPD").string();
        ASSERT_EQ(
            RunCommand(Cli("search " + ShellQuote(image_->path()) + " --log " + ShellQuote(log_)))
                .status,
            0);
        std::string bytes = ReadFileText(log_);
        Replace(bytes, "plan.txt", std::string("p\t\n\\.txt"));
        Replace(bytes, "small resident.txt", std::string("small\rresident.txt"));
        // The log reader takes a name that is not UTF-8 as Latin-1.
        Replace(bytes, "old draft.txt", std::string("ol\xFF draft.txt"));
        std::ofstream(log_, std::ios::binary | std::ios::trunc) << bytes;
    }
    void TearDown() override { fs::remove_all(dir_); }

    static void Replace(std::string& bytes, const std::string& from, const std::string& to) {
        ASSERT_EQ(from.size(), to.size());
        const std::size_t at = bytes.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        bytes.replace(at, from.size(), to);
    }

    std::unique_ptr<test::ImageCopy> image_;
    fs::path dir_;
    std::string log_;
};

TEST_F(HostileNames, TsvEscapesTabNewlineReturnAndBackslash) {
    const auto result =
        RunCommand(Cli("load " + ShellQuote(log_) + " " + ShellQuote(image_->path()) + " --tsv"));
    ASSERT_EQ(result.status, 0) << result.output;
    for (const auto& cells : TsvLines(result.output)) EXPECT_EQ(cells.size(), 7u) << cells[0];
    EXPECT_TRUE(Contains(result.output, "\nDocuments/Projects/Alpha/p\\t\\n\\\\.txt\tFILE\t9000\t"))
        << result.output;
    EXPECT_TRUE(Contains(result.output, "\nDocuments/small\\rresident.txt\tFILE\t300\t"))
        << result.output;
}

TEST_F(HostileNames, EveryJsonLineParsesWithTheFieldsOfTheTsv) {
    const fs::path json = dir_ / "result.jsonl";
    const auto result =
        RunCommand(Cli("load " + ShellQuote(log_) + " " + ShellQuote(image_->path()) +
                       " --json > " + ShellQuote(json.string())));
    ASSERT_EQ(result.status, 0);
    const std::string text = ReadFileText(json);
    EXPECT_TRUE(Contains(text, "\"path\":\"Documents/ol\xC3\xBF draft.txt\"")) << text;
    EXPECT_TRUE(Contains(text, R"("path":"Documents/small\rresident.txt")")) << text;
    EXPECT_TRUE(Contains(text, R"("path":"Documents/Projects/Alpha/p\t\n\\.txt")")) << text;
    const auto parsed = RunCommand("python3 -m json.tool --json-lines " +
                                   ShellQuote(json.string()) + " > /dev/null");
    EXPECT_EQ(parsed.status, 0) << text;
    // Each line alone, as a consumer reading line by line does.
    const auto each = RunCommand(
        "python3 -c 'import json,sys\nfor n, line in enumerate(open(sys.argv[1], \"rb\"), 1):\n"
        "    o = json.loads(line)\n    assert set(o) == {\"path\", \"type\", \"size\", "
        "\"modified\", \"state\", \"cluster_or_record\", \"past_disk_end\"}, n\n"
        "print(n)' " +
        ShellQuote(json.string()));
    EXPECT_EQ(each.status, 0) << each.output;
    EXPECT_EQ(std::to_string(std::count(text.begin(), text.end(), '\n')) + "\n", each.output);
}

TEST(JsonOutput, HoldsTheFieldsOfTheTsvForEveryFolderAndFile) {
    const auto image = test::FixtureImage("fat16");
    const auto tsv = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
    const auto json = RunCommand(Cli("search " + ShellQuote(image->path()) + " --json"));
    ASSERT_EQ(json.status, 0);
    const auto lines = TsvLines(tsv.output);
    EXPECT_EQ(static_cast<std::size_t>(std::count(json.output.begin(), json.output.end(), '\n')),
              lines.size());
    EXPECT_TRUE(Contains(
        json.output,
        R"({"path":"Music/Artist One/Album A/02 Second Track.mp3","type":"FILE","size":9000,)"))
        << json.output;
    EXPECT_TRUE(Contains(json.output, R"("state":"deleted")"));
}

TEST(VolumeLabel, IsShownInTheHeadersAndNotListedAsAFile) {
    const auto image = test::SampleImage("music-player");
    const auto partitions = RunCommand(Cli("partitions " + ShellQuote(image->path())));
    EXPECT_TRUE(Contains(partitions.output, "MUSICPLAYER")) << partitions.output;
    const auto tree = RunCommand(Cli("search " + ShellQuote(image->path()) + " --files"));
    EXPECT_EQ(tree.status, 0);
    EXPECT_EQ(tree.output.rfind("Volume label: MUSICPLAYER\nRoot\n", 0), 0u) << tree.output;
    const auto tsv = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
    EXPECT_FALSE(Contains(tsv.output, "MUSICPLA")) << tsv.output;
    const auto list = RunCommand(Cli("search " + ShellQuote(image->path()) + " --list /"));
    EXPECT_FALSE(Contains(list.output, "MUSICPLA.YER")) << list.output;
}

TEST(LostFolders, FoldersRebuiltAfterAQuickFormatAreLostAndOrphan) {
    const auto image = test::FixtureImage("fat32-reformatted");
    const auto tree = RunCommand(Cli("search " + ShellQuote(image->path()) + " --files"));
    ASSERT_EQ(tree.status, 0);
    const auto tsv = RunCommand(Cli("search " + ShellQuote(image->path()) + " --tsv"));
    const auto lines = TsvLines(tsv.output);
    int lost = 0;
    for (const auto& cells : lines) {
        // Everything here was written before the re-format: nothing is live.
        EXPECT_NE(cells[4], "live") << cells[0];
        if (cells[1] == "FOLDER" && cells[0].find('/') == std::string::npos) {
            EXPECT_EQ(cells[4], "orphan") << cells[0];
            EXPECT_TRUE(Contains(tree.output, "  " + cells[0] + "/  [lost]\n")) << tree.output;
            ++lost;
        }
    }
    EXPECT_GE(lost, 2) << tsv.output;
    // The files of the old volume are found in them (under new folder names).
    std::size_t found = 0;
    for (const auto& row : test::ManifestRows("fat32-reformatted", "old-file")) {
        const std::string name = row.path.substr(row.path.rfind('/') + 1);
        for (const auto& cells : lines)
            if (cells[0].size() > name.size() &&
                cells[0].substr(cells[0].size() - name.size() - 1) == "/" + name &&
                cells[4] == "orphan")
                ++found;
    }
    EXPECT_GE(found, 5u) << tsv.output;
}

// ---- DFXML ----

std::string XmlText(std::string text) {
    const std::vector<std::pair<std::string, std::string>> entities = {
        {"&lt;", "<"},  {"&gt;", ">"},   {"&quot;", "\""}, {"&apos;", "'"},
        {"&#9;", "\t"}, {"&#10;", "\n"}, {"&#13;", "\r"},  {"&amp;", "&"}};
    for (const auto& [entity, character] : entities)
        for (std::size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + character.size()))
            text.replace(at, entity.size(), character);
    return text;
}

struct FileObject {
    std::string filename;
    std::uint64_t size = 0;
    bool alloc = false;
    bool folder = false;
    struct Run {
        std::uint64_t fileOffset, imageOffset, length;
    };
    std::vector<Run> runs;
};

// The value of attribute `name` in the tag text.
std::uint64_t Attribute(const std::string& tag, const std::string& name) {
    const std::size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return ~std::uint64_t{0};
    return std::stoull(tag.substr(at + name.size() + 3));
}

// The fileobjects of a DFXML document (searched as text: std::regex recurses
// too deep for documents of this size).
std::vector<FileObject> FileObjects(const std::string& xml) {
    std::vector<FileObject> objects;
    const auto field = [](const std::string& block, const std::string& name) {
        const std::size_t open = block.find("<" + name + ">");
        if (open == std::string::npos) return std::string();
        const std::size_t start = open + name.size() + 2;
        return block.substr(start, block.find("</" + name + ">") - start);
    };
    const std::string open = "<fileobject>";
    const std::string close = "</fileobject>";
    for (std::size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
        const std::size_t end = xml.find(close, at);
        if (end == std::string::npos) break;
        const std::string block = xml.substr(at + open.size(), end - at - open.size());
        FileObject file;
        file.filename = XmlText(field(block, "filename"));
        file.size = std::stoull(field(block, "filesize"));
        file.alloc = field(block, "alloc") == "1";
        file.folder = field(block, "name_type") == "d";
        for (std::size_t run = block.find("<byte_run "); run != std::string::npos;
             run = block.find("<byte_run ", run + 1)) {
            const std::string tag = block.substr(run, block.find("/>", run) - run);
            file.runs.push_back({Attribute(tag, "file_offset"), Attribute(tag, "img_offset"),
                                 Attribute(tag, "len")});
        }
        objects.push_back(std::move(file));
    }
    return objects;
}

struct DfxmlCase {
    const char* image;
    const char* selection;  // -p N, or "" for a volume image
};

class DfxmlOutput : public ::testing::TestWithParam<DfxmlCase> {};

TEST_P(DfxmlOutput, IsWellFormedWithAFileObjectPerListedItem) {
    const auto image = test::FixtureImage(GetParam().image);
    const fs::path dir = test::MakeTempDir("dfxml");
    const fs::path xml = dir / "result.xml";
    const std::string search = "search " + ShellQuote(image->path()) + " " + GetParam().selection;
    const auto run = RunCommand(Cli(search + " --tsv --dfxml " + ShellQuote(xml.string())));
    ASSERT_EQ(run.status, 0) << run.output;
    const auto lint = RunCommand("xmllint --noout " + ShellQuote(xml.string()) + " 2>&1");
    EXPECT_EQ(lint.status, 0) << lint.output;
    const std::string text = ReadFileText(xml);
    EXPECT_TRUE(Contains(text, "<volume offset=\"")) << text.substr(0, 600);
    const auto objects = FileObjects(text);
    const auto lines = TsvLines(run.output);
    ASSERT_EQ(objects.size(), lines.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        EXPECT_EQ(objects[i].filename, lines[i][0]);
        EXPECT_EQ(objects[i].folder, lines[i][1] == "FOLDER");
        EXPECT_EQ(std::to_string(objects[i].size), lines[i][2]);
        EXPECT_EQ(objects[i].alloc, lines[i][4] == "live");
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, DfxmlOutput,
    ::testing::Values(DfxmlCase{"fat16", ""}, DfxmlCase{"fat32", ""}, DfxmlCase{"ntfs", ""},
                      DfxmlCase{"fat32-reformatted", ""}, DfxmlCase{"ntfs-compressed", ""},
                      DfxmlCase{"ntfs-links", ""}, DfxmlCase{"mbr-primary", "-p 1"},
                      DfxmlCase{"mbr-primary", "-p 2"}, DfxmlCase{"mbr-primary", "-p 3"},
                      DfxmlCase{"mbr-extended", "-p 1"}, DfxmlCase{"mbr-extended", "-p 2"},
                      DfxmlCase{"mbr-extended", "-p 3"}, DfxmlCase{"mbr-extended", "-p 4"},
                      DfxmlCase{"fat-two-volumes", "-p 1"}, DfxmlCase{"fat-two-volumes", "-p 2"},
                      DfxmlCase{"ntfs-disk", "-p 1"}, DfxmlCase{"gpt-fat32-ntfs", "-p 1"},
                      DfxmlCase{"gpt-fat32-ntfs", "-p 2"}),
    [](const ::testing::TestParamInfo<DfxmlCase>& param) {
        std::string name = std::string(param.param.image) + param.param.selection;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

// The bytes the runs point at, read from the image, are the saved file.
TEST(DfxmlByteRuns, PointAtEachLiveFilesData) {
    for (const char* fixture : {"fat16", "fat32", "ntfs"}) {
        SCOPED_TRACE(fixture);
        const auto image = test::FixtureImage(fixture);
        const fs::path dir = test::MakeTempDir("dfxml-runs");
        const fs::path xml = dir / "result.xml";
        const auto run = RunCommand(Cli("search " + ShellQuote(image->path()) + " --dfxml " +
                                        ShellQuote(xml.string()) + " --save " +
                                        ShellQuote((dir / "saved").string())));
        ASSERT_EQ(run.status, 0) << run.output;
        std::ifstream disk(image->path(), std::ios::binary);
        std::size_t compared = 0;
        for (const FileObject& file : FileObjects(ReadFileText(xml))) {
            if (file.folder || !file.alloc || file.size == 0) continue;
            const fs::path saved = dir / "saved" / file.filename;
            if (!fs::is_regular_file(saved)) continue;  // names the save had to change
            std::string data(file.size, '\0');
            std::uint64_t covered = 0;
            for (const auto& piece : file.runs) {
                ASSERT_LE(piece.fileOffset + piece.length, file.size) << file.filename;
                disk.seekg(static_cast<std::streamoff>(piece.imageOffset));
                disk.read(data.data() + piece.fileOffset,
                          static_cast<std::streamsize>(piece.length));
                covered += piece.length;
            }
            if (covered != file.size)
                continue;  // resident or compressed data: no runs for all of it
            EXPECT_EQ(data, ReadFileText(saved)) << file.filename;
            ++compared;
        }
        EXPECT_GT(compared, 5u);
        fs::remove_all(dir);
    }
}

}  // namespace
}  // namespace datrevo
