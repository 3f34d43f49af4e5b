#include "ui/controls/check_tree.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace datrevo::ui {

CheckBoxTree::CheckBoxTree(QWidget* parent) : QTreeWidget(parent) {}

QRect CheckBoxTree::checkBoxRect(const QTreeWidgetItem* item) const {
    if (item == nullptr || !(item->flags() & Qt::ItemIsUserCheckable)) return {};
    const QModelIndex index = indexFromItem(item, 0);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    if (!item->icon(0).isNull()) option.features |= QStyleOptionViewItem::HasDecoration;
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = item->text(0);
    option.index = index;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

QTreeWidgetItem* CheckBoxTree::checkBoxAt(const QPoint& at) const {
    QTreeWidgetItem* item = itemAt(at);
    if (item == nullptr || item->isDisabled()) return nullptr;
    return checkBoxRect(item).contains(at) ? item : nullptr;
}

void CheckBoxTree::mousePressEvent(QMouseEvent* event) {
    pressedBox_ =
        event->button() == Qt::LeftButton ? checkBoxAt(event->position().toPoint()) : nullptr;
    if (pressedBox_ != nullptr) {
        event->accept();  // not current, not selected
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void CheckBoxTree::mouseReleaseEvent(QMouseEvent* event) {
    if (pressedBox_ != nullptr) {
        QTreeWidgetItem* item = pressedBox_;
        pressedBox_ = nullptr;
        if (event->button() == Qt::LeftButton && checkBoxAt(event->position().toPoint()) == item)
            item->setCheckState(0,
                                item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void CheckBoxTree::mouseDoubleClickEvent(QMouseEvent* event) {
    if (checkBoxAt(event->position().toPoint()) != nullptr) {
        // The second click of a double click on the box is a click of its own.
        mousePressEvent(event);
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

}  // namespace datrevo::ui
