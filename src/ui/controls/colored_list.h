// StripedSortableList: a list in rows of text cells, striped (even rows
// 249,249,249, odd rows 225,225,225), sorted by a click on a column heading
// in the catalogue's cell order (CompareCells). Rows may be divided into
// groups by a separator text in the sort column; each group is sorted on its
// own and the separator rows keep their places.
//
// It sorts on its own: do not turn on QTreeWidget's sorting as well.
#pragma once

#include <QString>
#include <QTreeWidget>

namespace datrevo::ui {

class StripedSortableList : public QTreeWidget {
    Q_OBJECT
public:
    explicit StripedSortableList(QWidget* parent = nullptr);

    // Sorts the rows by `column`; reports it with `sorted`.
    void sortRows(int column, bool ascending);
    // What a click on the heading of `column` does: ascending, or descending
    // when the previous sort was ascending on this same column.
    void headingClicked(int column);
    // Sorts again as last time (after the rows were refilled); nothing
    // before the first sort.
    void resort();

    void setGroupSeparator(const QString& text) { separator_ = text; }
    const QString& groupSeparator() const { return separator_; }
    int sortedColumn() const { return sortColumn_; }  // -1 before the first sort
    bool sortedAscending() const { return ascending_; }

Q_SIGNALS:
    void sorted(int column, bool ascending);

private:
    QString separator_;
    int sortColumn_ = -1;
    bool ascending_ = true;
};

}  // namespace datrevo::ui
