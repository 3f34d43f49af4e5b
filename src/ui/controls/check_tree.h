// CheckBoxTree: the wizard's tree. A click on an item's check box changes its
// check and nothing else: the current item, the selection and what the file
// list shows stay where they were. Elsewhere on a row it is a plain tree.
#pragma once

#include <QTreeWidget>

namespace datrevo::ui {

class CheckBoxTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CheckBoxTree(QWidget* parent = nullptr);

    // The check box of `item` in viewport coordinates; empty when the item
    // has none.
    QRect checkBoxRect(const QTreeWidgetItem* item) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QTreeWidgetItem* checkBoxAt(const QPoint& at) const;

    QTreeWidgetItem* pressedBox_ = nullptr;
};

}  // namespace datrevo::ui
