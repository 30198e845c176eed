#include "form_accessibility.h"

#include "quanvik_form.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QFrame>
#include <QLineEdit>

namespace {

// A line edit's text as Qt's own interface gives it, but in one attribute
// run: the box has one font and one colour throughout.
class LineEditAccessible final : public QAccessibleWidget,
                                 public QAccessibleTextInterface,
                                 public QAccessibleEditableTextInterface {
public:
    explicit LineEditAccessible(QLineEdit* edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
    {
        addControllingSignal(QStringLiteral("textChanged(const QString&)"));
        addControllingSignal(QStringLiteral("returnPressed()"));
    }

    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Value ? edit()->text() : QAccessibleWidget::text(type);
    }

    void setText(QAccessible::Text type, const QString& text) override
    {
        if (type != QAccessible::Value)
            QAccessibleWidget::setText(type, text);
        else if (!edit()->isReadOnly())
            edit()->setText(text);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.readOnly = edit()->isReadOnly();
        state.selectableText = true;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString attributes(int /*offset*/, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        const bool selected = selectionIndex == 0 && edit()->hasSelectedText();
        *startOffset = selected ? edit()->selectionStart() : 0;
        *endOffset = selected ? edit()->selectionEnd() : 0;
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0)
            edit()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            edit()->setSelection(startOffset, endOffset - startOffset);
    }

    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }

    QString text(int startOffset, int endOffset) const override
    {
        return startOffset > endOffset ? QString() : edit()->text().mid(startOffset, endOffset - startOffset);
    }
    // -2 asks for the cursor's position.
    QString textBeforeOffset(
        int offset, QAccessible::TextBoundaryType boundary, int* startOffset, int* endOffset) const override
    {
        return QAccessibleTextInterface::textBeforeOffset(atCursor(offset), boundary, startOffset, endOffset);
    }
    QString textAfterOffset(
        int offset, QAccessible::TextBoundaryType boundary, int* startOffset, int* endOffset) const override
    {
        return QAccessibleTextInterface::textAfterOffset(atCursor(offset), boundary, startOffset, endOffset);
    }
    QString textAtOffset(
        int offset, QAccessible::TextBoundaryType boundary, int* startOffset, int* endOffset) const override
    {
        offset = atCursor(offset);
        // Qt's own search for the word or sentence at the end never returns.
        const int count = characterCount();
        const bool atEnd = offset == count || offset == -1;
        if (atEnd && count > 0
            && (boundary == QAccessible::WordBoundary || boundary == QAccessible::SentenceBoundary))
            offset = count - 1;
        return QAccessibleTextInterface::textAtOffset(offset, boundary, startOffset, endOffset);
    }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }

    // On the text line, the cursor's advance away from the cursor, which is
    // the middle of its rectangle: one line, one font.
    QRect characterRect(int offset) const override
    {
        const QString character = text(offset, offset + 1);
        if (character.isEmpty())
            return {};
        const QString whole = edit()->text();
        const QFontMetrics metrics(edit()->font());
        const QRect cursor = edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = (cursor.left() + cursor.right() + 1) / 2 + metrics.horizontalAdvance(whole.left(offset))
            - metrics.horizontalAdvance(whole.left(edit()->cursorPosition()));
        const QRect rect(x, cursor.top(), metrics.horizontalAdvance(character), cursor.height());
        return rect.translated(edit()->mapToGlobal(QPoint(0, 0)));
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }

    // A read-only box keeps what the analysis wrote.
    void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override
    {
        if (!edit()->isReadOnly())
            edit()->setText(edit()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
    int atCursor(int offset) const { return offset == -2 ? cursorPosition() : offset; }
};

// What AnalysisNotice shows below Qt 6.8: a notification named by its text.
class NoticeAccessible final : public QAccessibleObject {
public:
    using QAccessibleObject::QAccessibleObject;
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(object()->parent());
    }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Name ? static_cast<AnalysisNotice*>(object())->text() : QString();
    }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }
};

// Qt asks at each class from the object's own up; the first answer holds.
QAccessibleInterface* formAccessible(const QString& /*className*/, QObject* object)
{
    if (auto* notice = qobject_cast<AnalysisNotice*>(object))
        return new NoticeAccessible(notice);
    // Masked text stays with Qt's own interface, which never gives it out.
    if (auto* edit = qobject_cast<QLineEdit*>(object))
        return edit->echoMode() == QLineEdit::Normal ? new LineEditAccessible(edit) : nullptr;
    if (auto* form = qobject_cast<Quanvik*>(object))
        return new QAccessibleWidget(form, QAccessible::Window);
    // A plain frame only: labels are frames too.
    if (object != nullptr && object->metaObject() == &QFrame::staticMetaObject) {
        auto* frame = static_cast<QFrame*>(object);
        if (frame->frameShape() == QFrame::HLine || frame->frameShape() == QFrame::VLine)
            return new QAccessibleWidget(frame, QAccessible::Separator);
    }
    return nullptr;
}

} // namespace

namespace quanvik {

void installFormAccessibility()
{
    QAccessible::installFactory(formAccessible);
}

} // namespace quanvik

AnalysisNotice::AnalysisNotice(QWidget* form)
    : QObject(form)
    , deliver_(QAccessible::updateAccessibility)
{
    setObjectName(QStringLiteral("AnalysisNotice"));
}

void AnalysisNotice::announce(const QString& text)
{
    text_ = text;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // From the window: a UI Automation notification, an AT-SPI announcement.
    QAccessibleAnnouncementEvent event(parent(), text);
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    deliver_(&event);
#else
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    deliver_(&shown);
#endif
}
