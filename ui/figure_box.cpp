#include "figure_box.h"

#include <QFocusEvent>

void FigureBox::focusInEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    const bool selectsAll =
        reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    if (!selectsAll || hasSelectedText() || text().isEmpty()) {
        QLineEdit::focusInEvent(event);
        return;
    }
    // Everything a line edit does on focus but the selection.
    QFocusEvent unselected(QEvent::FocusIn, Qt::OtherFocusReason);
    QLineEdit::focusInEvent(&unselected);
    QMetaObject::invokeMethod(
        this,
        [this, before = text(), cursor = cursorPosition()] {
            if (hasFocus() && !hasSelectedText() && text() == before && cursorPosition() == cursor)
                selectAll();
        },
        Qt::QueuedConnection);
}
