// A list column of "Name :" cells whose colons line up: the name is drawn
// at the left of the cell and its colon at the right, whatever blanks and
// tabs the text carries between them. The cell's text stays as it is.
#pragma once

#include <QStyledItemDelegate>

namespace datrevo::ui {

// "3.   Partition Type  :  " as {"3.   Partition Type", true}: the text
// before its last colon with the blanks around it removed, and whether
// there was a colon.
struct ColonCell {
    QString name;
    bool colon = false;
};
ColonCell SplitAtColon(const QString& text);

class ColonColumnDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace datrevo::ui
