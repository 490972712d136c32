#include "app/mapping_delegate.h"

#include "app/mapping_model.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace app {

QWidget* MappingDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    if (qobject_cast<const MappingModel*>(index.model()) == nullptr ||
        index.column() != MappingModel::Columna)
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("ColumnaEditor"));
    editor->setFrame(false);
    editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // A sign and digits only; whether the number fits is the field's to say.
    editor->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[+-]?[0-9]*")), editor));
    return editor;
}

void MappingDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    QStyleOptionViewItem shown = option;
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const bool focusedCell = view != nullptr && view->currentIndex() == index;
    if ((shown.state & QStyle::State_Selected) && !focusedCell) {
        // The rest of the current row in a lighter shade of the highlight, so that
        // the focused cell stands out in it.
        const QColor highlight = option.palette.color(QPalette::Active, QPalette::Highlight);
        const QColor base = option.palette.color(QPalette::Active, QPalette::Base);
        const QColor light =
            QColor::fromRgbF(static_cast<float>(highlight.redF() * 0.35 + base.redF() * 0.65),
                             static_cast<float>(highlight.greenF() * 0.35 + base.greenF() * 0.65),
                             static_cast<float>(highlight.blueF() * 0.35 + base.blueF() * 0.65));
        shown.palette.setColor(QPalette::Highlight, light);
        shown.palette.setColor(QPalette::HighlightedText,
                               option.palette.color(QPalette::Active, QPalette::Text));
    }
    QStyledItemDelegate::paint(painter, shown, index);
}

bool MappingDelegate::eventFilter(QObject* object, QEvent* event)
{
    // Enter leaves the cell editor the way Tab does: the value is taken and the
    // next cell becomes current.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        auto* editor = qobject_cast<QWidget*>(object);
        if (enter && editor != nullptr && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::EditNextItem);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace app
