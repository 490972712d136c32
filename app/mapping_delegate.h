#pragma once
// How the cells of the mapping grid are drawn and edited: the column number in a
// line editor that takes only the characters of a signed integer, Enter leaving the
// editor as Tab does, and the current row highlighted with its focused cell
// standing out.
#include <QStyledItemDelegate>

namespace app {

class MappingDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
};

} // namespace app
