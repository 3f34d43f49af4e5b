#include "ui/controls/colored_list.h"

#include <QHeaderView>
#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/cell_compare.h"

namespace datrevo::ui {
namespace {

const QColor kEvenRow(249, 249, 249);
const QColor kOddRow(225, 225, 225);

void SortGroup(std::vector<QTreeWidgetItem*>& group, int column, bool ascending) {
    // Compare the UTF-8 of each cell once, not once per comparison.
    std::vector<std::pair<std::string, QTreeWidgetItem*>> keyed;
    keyed.reserve(group.size());
    for (QTreeWidgetItem* item : group) keyed.emplace_back(item->text(column).toStdString(), item);
    std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
        const int order = CompareCells(a.first, b.first);
        return ascending ? order < 0 : order > 0;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i) group[i] = keyed[i].second;
}

}  // namespace

StripedSortableList::StripedSortableList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);  // full-row selection
    setSortingEnabled(false);
    setAlternatingRowColors(true);
    QPalette stripes = palette();
    stripes.setColor(QPalette::Base, kEvenRow);
    stripes.setColor(QPalette::AlternateBase, kOddRow);
    setPalette(stripes);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &StripedSortableList::headingClicked);
}

void StripedSortableList::headingClicked(int column) {
    const bool ascending = !(column == sortColumn_ && ascending_);
    sortRows(column, ascending);
}

void StripedSortableList::resort() {
    if (sortColumn_ >= 0) sortRows(sortColumn_, ascending_);
}

void StripedSortableList::sortRows(int column, bool ascending) {
    if (column < 0 || column >= columnCount()) return;
    QTreeWidgetItem* current = currentItem();
    const QList<QTreeWidgetItem*> selected = selectedItems();

    // All rows at once: taking them one by one is quadratic in a long list.
    const QList<QTreeWidgetItem*> rows = invisibleRootItem()->takeChildren();

    std::vector<QTreeWidgetItem*> ordered;
    ordered.reserve(static_cast<std::size_t>(rows.size()));
    std::vector<QTreeWidgetItem*> group;
    const bool grouped = !separator_.isEmpty();
    for (QTreeWidgetItem* row : rows) {
        if (grouped && row->text(column) == separator_) {
            SortGroup(group, column, ascending);
            ordered.insert(ordered.end(), group.begin(), group.end());
            group.clear();
            ordered.push_back(row);
        } else {
            group.push_back(row);
        }
    }
    SortGroup(group, column, ascending);
    ordered.insert(ordered.end(), group.begin(), group.end());

    QList<QTreeWidgetItem*> list(ordered.begin(), ordered.end());
    addTopLevelItems(list);
    for (QTreeWidgetItem* item : selected) item->setSelected(true);
    if (current != nullptr) setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);

    sortColumn_ = column;
    ascending_ = ascending;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    Q_EMIT sorted(column, ascending);
}

}  // namespace datrevo::ui
