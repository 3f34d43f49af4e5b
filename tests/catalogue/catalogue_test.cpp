#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/cell_compare.h"

namespace datrevo {
namespace {

std::vector<std::string> Column(const CatalogueTable& table, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < table.count(); ++row) cells.push_back(table.cell(row, column));
    return cells;
}

TEST(Catalogue, TablesHaveTheirColumnNames) {
    const Catalogue catalogue;
    EXPECT_EQ(catalogue.FolderTable.columns(),
              (std::vector<std::string>{"Name", "sector", "self", "parent", "date", "time", "size",
                                        "attr", "sysID", "Type", "Deleted"}));
    EXPECT_EQ(catalogue.EntryTable.columnCount(), 11);
    EXPECT_EQ(catalogue.LostDirTable.columns()[1], "Self Cluster");
    EXPECT_EQ(catalogue.BootRecordTable.columns()[6], "Cluster0Start");
    EXPECT_EQ(catalogue.VolumeTable.columns()[10], "PartType");
    EXPECT_EQ(catalogue.MftRefTable.columns()[1], "mftReference");
    EXPECT_EQ(catalogue.MftRecordTable.columns()[3], "selfMFT");
    EXPECT_EQ(catalogue.DirScratchTable.columns()[6], "First Run");
}

TEST(Catalogue, CellsKeepTheirTextSemantics) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    EXPECT_EQ(table.insertRow(table.count(), "Music"), 0);
    table.setUnsigned(0, folder_col::Parent, static_cast<std::uint32_t>(-1));
    EXPECT_EQ(table.cell(0, folder_col::Parent), "4294967295");
    EXPECT_EQ(table.cellUnsigned(0, folder_col::Self), 0u);  // empty reads as 0
    table.setCell(0, folder_col::Name, std::string(300, 'x'));
    EXPECT_EQ(table.cellInBuffer(0, folder_col::Name).size(), 254u);
    EXPECT_EQ(table.cellInBuffer(0, folder_col::Name, 256).size(), 255u);
    EXPECT_EQ(table.cell(0, folder_col::Name).size(), 300u);  // whole-text reads are not cut
    EXPECT_EQ(table.cell(5, 0), "");
    table.setCell(9, 0, "ignored");
    EXPECT_EQ(table.count(), 1);
    table.deleteAll();
    EXPECT_EQ(table.count(), 0);
    EXPECT_EQ(table.columnCount(), 11);
}

TEST(Catalogue, InsertAtAnIndexShiftsLaterRows) {
    CatalogueTable table("T", {"a", "b"});
    table.appendRow("1");
    table.appendRow("3");
    table.insertRow(1, "2");
    table.insertRow(-4, "0");
    table.insertRow(99, "4");
    EXPECT_EQ(Column(table, 0), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
}

TEST(Catalogue, FindByFirstCellReturnsTheFirstExactMatch) {
    Catalogue catalogue;
    CatalogueTable& scratch = catalogue.DirScratchTable;
    scratch.appendRow("17");
    scratch.appendRow("42");
    scratch.appendRow("42");
    EXPECT_EQ(scratch.findByFirstCell("42"), 1);
    EXPECT_EQ(scratch.findByFirstCell("4"), -1);
    scratch.insertRow(0, "42");  // the index follows inserts, edits and sorts
    EXPECT_EQ(scratch.findByFirstCell("42"), 0);
    scratch.setCell(0, 0, "5");
    EXPECT_EQ(scratch.findByFirstCell("42"), 2);
    scratch.sortByColumn(0);
    EXPECT_EQ(scratch.findByFirstCell("5"), 0);
    scratch.deleteAll();
    EXPECT_EQ(scratch.findByFirstCell("5"), -1);
}

TEST(CellCompare, NumbersSortByValueNotByText) {
    EXPECT_LT(CompareCells("9", "10"), 0);
    EXPECT_LT(CompareCells("99999999", "268435455"), 0);
    EXPECT_LT(CompareCells("268435455", "4294967295"), 0);  // wider than 32 bits still ordered
    EXPECT_EQ(CompareCells("", "0"), 0);
    EXPECT_LT(CompareCells("1.5", "10%"), 0);
    EXPECT_GT(CompareCells("-2", "-3"), 0);
}

TEST(CellCompare, DatesAndTimesOfTheFileListCompareAsDates) {
    EXPECT_LT(CompareCells("31-DEC-2008", "05-MAR-2009"), 0);
    EXPECT_LT(CompareCells("5-MAR-2009", "29-MAR-2009"), 0);
    EXPECT_LT(CompareCells("01-FEB-2004", "29-Feb-2004"), 0);
    EXPECT_LT(CompareCells("9:59", "10:00"), 0);
    EXPECT_LT(CompareCells("14:7:3", "14:7:30"), 0);
}

TEST(CellCompare, OtherTextsCompareByteByByte) {
    EXPECT_LT(CompareCells("Music", "Notes"), 0);
    EXPECT_LT(CompareCells("Zed", "\xC3\x89t\xC3\xA9"), 0);  // UTF-8 bytes above ASCII sort last
    EXPECT_LT(CompareCells("Music", "music"), 0);
}

TEST(Catalogue, SortByColumnIsNumericAndDescendingOnlyWhereAllowed) {
    Catalogue catalogue;
    for (const char* self : {"120", "7", "268435455", "33"}) {
        const int row = catalogue.FolderTable.appendRow(self);
        catalogue.FolderTable.setCell(row, folder_col::Self, self);
        catalogue.LostDirTable.appendRow(self);
    }
    catalogue.FolderTable.sortByColumn(folder_col::Self);
    EXPECT_EQ(Column(catalogue.FolderTable, folder_col::Self),
              (std::vector<std::string>{"7", "33", "120", "268435455"}));
    catalogue.FolderTable.sortByColumn(folder_col::Self, SortOrder::Descending);
    EXPECT_EQ(Column(catalogue.FolderTable, 0),
              (std::vector<std::string>{"268435455", "120", "33", "7"}));
    catalogue.LostDirTable.sortByColumn(0, SortOrder::Descending);  // ascending: not allowed
    EXPECT_EQ(Column(catalogue.LostDirTable, 0),
              (std::vector<std::string>{"7", "33", "120", "268435455"}));
    const auto [first, last] = catalogue.LostDirTable.equalRange(0, "120");
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 3);
}

TEST(Catalogue, SortKeepsTheOrderOfRowsWithEqualKeysInALongTable) {
    // FolderTable rows of many folders share a parent; the tree builder and
    // the log rely on them staying in the order they were found. Column 0
    // holds the row's place of discovery.
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    constexpr int kRows = 3000;
    for (int i = 0; i < kRows; ++i) {
        const int row = table.appendRow(std::to_string(i));
        table.setCell(row, folder_col::Parent, std::to_string((i * 7919) % 5));
    }
    const auto keptOrder = [&](bool descending) {
        for (int row = 1; row < table.count(); ++row) {
            const long previousKey = std::stol(table.cell(row - 1, folder_col::Parent));
            const long key = std::stol(table.cell(row, folder_col::Parent));
            if (descending ? previousKey < key : previousKey > key) return false;
            if (previousKey == key &&
                std::stol(table.cell(row - 1, 0)) >= std::stol(table.cell(row, 0)))
                return false;
        }
        return true;
    };
    table.sortByColumn(folder_col::Parent);
    EXPECT_TRUE(keptOrder(false));
    // Sorted again by the same column: nothing moves.
    const std::vector<std::string> once = Column(table, 0);
    table.sortByColumn(folder_col::Parent);
    EXPECT_EQ(Column(table, 0), once);
    table.sortByColumn(0);  // back to the order of discovery
    table.sortByColumn(folder_col::Parent, SortOrder::Descending);
    EXPECT_TRUE(keptOrder(true));
}

}  // namespace
}  // namespace datrevo
