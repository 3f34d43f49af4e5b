#include <gtest/gtest.h>

#include "base/decimal.h"
#include "fat/fat_advance_search.h"
#include "fat/folder_naming.h"
#include "fat_test_support.h"
#include "support/disk_builder.h"

namespace datrevo {
namespace {

using test::FatHarness;

// The analysis works on the tables alone: rows are set up by hand.
class Analysis : public ::testing::Test {
protected:
    Analysis() : run(test::DiskBuilder(8).reader()) {}

    void Directory(std::uint64_t sector, std::uint32_t self, std::uint32_t parent = 0) {
        CatalogueTable& dirs = run.catalogue.LostDirTable;
        const int row = dirs.appendRow(Unsigned64Text(sector));
        dirs.setUnsigned(row, lostdir_col::SelfCluster, self);
        dirs.setUnsigned(row, lostdir_col::ParentCluster, parent);
        dirs.setCell(row, lostdir_col::FileSystem, "0");
    }
    void BootRecord(std::uint32_t sector, std::uint32_t spc, std::uint32_t cluster0,
                    std::uint32_t end) {
        CatalogueTable& boots = run.catalogue.BootRecordTable;
        const int row = boots.appendRow(UnsignedText(sector));
        boots.setUnsigned(row, boot_col::Spc, spc);
        boots.setUnsigned(row, boot_col::Cluster0Start, cluster0);
        boots.setUnsigned(row, boot_col::FirstFat, sector + 1);
        boots.setUnsigned(row, boot_col::TotalSectors, end);
        boots.setCell(row, boot_col::PartType, "FAT32");
    }
    std::string FileSystemOf(int row) const {
        return run.catalogue.LostDirTable.cell(row, lostdir_col::FileSystem);
    }
    void Analyze(VolumeKind kind = VolumeKind::Fat16) {
        FatSearchScope scope = run.scope(0, 100000, kind);
        AnalyzeFileSystems(scope);
    }

    FatHarness run;
};

TEST_F(Analysis, TwoDirectorySectorsInferAVolumeThatOthersJoin) {
    Directory(10100, 5);
    Directory(10132, 9);
    Directory(10060 + 8 * 40, 40);
    Directory(10061 + 8 * 41, 41);  // off the volume's cluster grid
    Analyze();
    ASSERT_EQ(run.state.volumesFound, 1);
    const CatalogueTable& volumes = run.catalogue.VolumeTable;
    EXPECT_EQ(volumes.cell(0, boot_col::Sector), "0");
    EXPECT_EQ(volumes.cell(0, boot_col::Spc), "8");
    EXPECT_EQ(volumes.cell(0, boot_col::Cluster0Start), "10060");
    EXPECT_EQ(volumes.cell(0, boot_col::PartType), "FAT16");
    EXPECT_EQ(FileSystemOf(0), "1");
    EXPECT_EQ(FileSystemOf(1), "1");
    EXPECT_EQ(FileSystemOf(2), "1");
    EXPECT_EQ(FileSystemOf(3), "-1");
}

TEST_F(Analysis, AnInferredFat16VolumeWithLargeClustersIsReportedAsFat32) {
    Directory(200000 + 2 * 1000, 1000);
    Directory(200000 + 2 * 70000, 70000);
    Analyze(VolumeKind::Fat16);
    ASSERT_EQ(run.state.volumesFound, 1);
    EXPECT_EQ(run.catalogue.VolumeTable.cell(0, boot_col::PartType), "FAT32");
}

TEST_F(Analysis, ALoneDirectorySectorBelongsToNoVolume) {
    Directory(5000, 7);
    Analyze();
    EXPECT_EQ(run.state.volumesFound, 0);
    EXPECT_EQ(FileSystemOf(0), "-1");
    EXPECT_EQ(NextUnassignedDirectory(run.catalogue.LostDirTable, 0), -1);
}

TEST_F(Analysis, BootRecordsClaimOnlyTheDirectoriesInsideTheirRange) {
    BootRecord(2000, 4, 2100, 3000);
    Directory(2100 + 4 * 3, 3);
    Directory(3000 + 4 * 50, 50);  // past the boot record's end
    Analyze();
    ASSERT_EQ(run.state.volumesFound, 1);
    EXPECT_EQ(run.catalogue.VolumeTable.cell(0, boot_col::Sector), "2000");
    EXPECT_EQ(FileSystemOf(0), "1");
    EXPECT_EQ(FileSystemOf(1), "-1");
}

TEST_F(Analysis, SelectingAVolumeCopiesOnlyItsDirectories) {
    BootRecord(2000, 4, 2100, 3000);
    Directory(2100 + 4 * 3, 3);
    Directory(10100, 5, 0);
    Directory(10132, 9, 5);
    Analyze();
    ASSERT_EQ(run.state.volumesFound, 2);
    FatSearchScope scope = run.scope(0, 100000, VolumeKind::Fat16);
    PrepareSelectedVolume(scope, 2);
    const CatalogueTable& folders = run.catalogue.FolderTable;
    ASSERT_EQ(folders.count(), 2);
    EXPECT_EQ(folders.cell(0, folder_col::Name), "DIR0");
    EXPECT_EQ(folders.cell(0, folder_col::Self), "5");
    EXPECT_EQ(folders.cell(1, folder_col::Parent), "5");
    EXPECT_EQ(run.activeLayout.cluster0Start, 10060u);
    EXPECT_EQ(run.activeLayout.sectorsPerCluster, 8u);
    EXPECT_EQ(run.activeLayout.rootSectors, 32u);  // an inferred FAT16 volume's fixed root
}

// The fixture disk holds a FAT16 volume at 2048 and a FAT32 volume at 10240.
class TwoVolumes : public ::testing::Test {
protected:
    std::vector<std::uint8_t> Disk() const {
        return test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/fat-two-volumes.img.gz");
    }
    std::map<std::string, bool> Recover(FatHarness& run, int volume) {
        run.tree.releaseFolders();  // as going back to the volume list does
        run.tree.createStage(kStageResults, 0);
        FatSearchScope scope = run.scope(0, run.disk.totalSectors(), VolumeKind::Fat16);
        EXPECT_TRUE(RecoverFatVolume(scope, volume));
        NameAllFatFolders(run.tree, run.disk, run.activeLayout);
        return run.folders();
    }
    static std::map<std::string, bool> Expected(const char* prefix) {
        // Every folder reaches its volume's root: no catch-all folder.
        return test::ManifestFolders("fat-two-volumes", prefix);
    }
};

TEST_F(TwoVolumes, OneFromItsBootRecordAndOneInferredEachWithItsOwnFolders) {
    std::vector<std::uint8_t> bytes = Disk();
    std::fill(bytes.begin() + 2048 * 512, bytes.begin() + 2049 * 512, 0);  // the FAT16 boot sector
    const auto image = test::CraftedImage(bytes);
    FatHarness run(test::ReaderFor(*image));
    FatSearchScope scope = run.scope(0, bytes.size() / 512, VolumeKind::Fat16);
    RunFatAdvanceScan(scope);

    ASSERT_EQ(run.state.volumesFound, 2);
    const CatalogueTable& volumes = run.catalogue.VolumeTable;
    EXPECT_EQ(volumes.cell(0, boot_col::Sector), "10240");
    EXPECT_EQ(volumes.cell(0, boot_col::PartType), "FAT32");
    EXPECT_EQ(volumes.cell(1, boot_col::Sector), "0");
    EXPECT_EQ(volumes.cell(1, boot_col::PartType), "FAT16");
    EXPECT_EQ(run.observer.bootSectorsCounter, 2u);  // the FAT32 boot sector and its backup
    EXPECT_EQ(Recover(run, 1), Expected("p2/"));
    EXPECT_EQ(Recover(run, 2), Expected("p1/"));
    EXPECT_EQ(run.activeLayout.firstFat,
              run.activeLayout.secondFat - run.activeLayout.sectorsPerFat);
    EXPECT_FALSE(RecoverFatVolume(scope, 3));
}

TEST_F(TwoVolumes, BothFromTheirBootRecordsWhenIntact) {
    const auto image = test::FixtureImage("fat-two-volumes");
    FatHarness run(test::ReaderFor(*image));
    FatSearchScope scope = run.scope(0, image->sizeInBytes() / 512, VolumeKind::Fat32);
    RunFatAdvanceScan(scope);
    ASSERT_EQ(run.state.volumesFound, 2);
    EXPECT_EQ(run.catalogue.VolumeTable.cell(0, boot_col::Sector), "2048");
    EXPECT_EQ(Recover(run, 1), Expected("p1/"));
    EXPECT_EQ(Recover(run, 2), Expected("p2/"));
    EXPECT_EQ(run.catalogue.FolderTable.count(), 4);  // the table keeps its rows
}

}  // namespace
}  // namespace datrevo
