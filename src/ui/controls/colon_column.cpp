#include "ui/controls/colon_column.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace datrevo::ui {
namespace {

constexpr int kMargin = 4;  // pixels between the cell's edges and its texts

}  // namespace

ColonCell SplitAtColon(const QString& text) {
    const qsizetype colon = text.lastIndexOf(':');
    if (colon < 0) return {text.trimmed(), false};
    return {text.left(colon).trimmed(), true};
}

void ColonColumnDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const ColonCell split = SplitAtColon(cell.text);
    cell.text.clear();  // the background, selection and focus only
    const QWidget* widget = cell.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    const QRect area = cell.rect.adjusted(kMargin, 0, -kMargin, 0);
    const QPalette::ColorRole role =
        cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;
    painter->save();
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(role));
    const int colonWidth = split.colon ? cell.fontMetrics.horizontalAdvance(':') : 0;
    const QRect nameArea = area.adjusted(0, 0, -(colonWidth + kMargin), 0);
    painter->drawText(nameArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      cell.fontMetrics.elidedText(split.name, Qt::ElideRight, nameArea.width()));
    if (split.colon)
        painter->drawText(area, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                          QStringLiteral(":"));
    painter->restore();
}

QSize ColonColumnDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const ColonCell split = SplitAtColon(cell.text);
    const QSize base = QStyledItemDelegate::sizeHint(option, index);
    const int width = cell.fontMetrics.horizontalAdvance(split.name) +
                      cell.fontMetrics.horizontalAdvance(':') + 3 * kMargin;
    return {width, base.height()};
}

}  // namespace datrevo::ui
