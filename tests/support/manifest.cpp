#include "support/manifest.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace datrevo::test {

std::vector<ManifestRow> ReadManifest() {
    const auto path = std::filesystem::path(DATREVO_FIXTURE_DIR) / "manifest.tsv";
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::vector<ManifestRow> rows;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> cells;
        std::stringstream fields(line);
        std::string cell;
        while (std::getline(fields, cell, '\t')) cells.push_back(cell);
        if (cells.size() < 6) continue;
        ManifestRow row;
        row.image = cells[0];
        row.path = cells[1];
        row.kind = cells[2];
        row.size = std::stoull(cells[3]);
        row.md5 = cells[4];
        row.deleted = cells[5] == "1";
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<ManifestRow> ManifestRows(const std::string& image, const std::string& kind) {
    std::vector<ManifestRow> rows;
    for (ManifestRow& row : ReadManifest())
        if (row.image == image && (kind.empty() || row.kind == kind))
            rows.push_back(std::move(row));
    return rows;
}

std::vector<ManifestPartition> ManifestPartitions(const std::string& image) {
    std::vector<ManifestPartition> partitions;
    for (const ManifestRow& row : ManifestRows(image, "partition")) {
        ManifestPartition partition;
        partition.sectors = row.size;
        std::stringstream fields(row.md5);
        std::string field;
        while (std::getline(fields, field, ';')) {
            const auto equals = field.find('=');
            if (equals == std::string::npos) continue;
            const std::string key = field.substr(0, equals);
            const std::string value = field.substr(equals + 1);
            if (key == "start") partition.start = std::stoull(value);
            if (key == "fs") partition.fileSystem = value;
        }
        partitions.push_back(partition);
    }
    return partitions;
}

}  // namespace datrevo::test
