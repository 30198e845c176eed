#include "form_accessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLineEdit>
#include <QPointer>

namespace {

// A line edit's text to assistive technology, as Qt's own interface gives it,
// but with one attribute run over the whole text: the box has one font and
// one colour throughout.
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
        if (type == QAccessible::Value)
            return edit()->text();
        QString text = QAccessibleWidget::text(type);
        if (text.isEmpty() && type == QAccessible::Description)
            text = edit()->placeholderText();
        return text;
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
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !edit()->hasSelectedText())
            return;
        *startOffset = edit()->selectionStart();
        *endOffset = edit()->selectionEnd();
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
        if (startOffset > endOffset)
            return {};
        return edit()->text().mid(startOffset, endOffset - startOffset);
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
        // Qt's own search for the word or sentence at the end of the text
        // never returns (a reader asks there with the cursor after the
        // figure): the text's last one is the one at its end.
        const int count = characterCount();
        const bool atEnd = offset == count || offset == -1;
        if (atEnd && count > 0
            && (boundary == QAccessible::WordBoundary || boundary == QAccessible::SentenceBoundary))
            offset = count - 1;
        return QAccessibleTextInterface::textAtOffset(offset, boundary, startOffset, endOffset);
    }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }

    // From the cursor's rectangle, moved by the advance between the cursor
    // and the character: one line, one font.
    QRect characterRect(int offset) const override
    {
        const QString character = text(offset, offset + 1);
        if (character.isEmpty())
            return {};
        const QString whole = edit()->text();
        const QFontMetrics metrics(edit()->font());
        const QRect cursor = edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = cursor.left() + metrics.horizontalAdvance(whole.left(offset))
            - metrics.horizontalAdvance(whole.left(edit()->cursorPosition()));
        const QRect rect(
            x, edit()->textMargins().top(), metrics.horizontalAdvance(character), metrics.height());
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

// What AnalysisNotice shows: a childless notification named by its text.
class NoticeAccessible final : public QAccessibleObject {
public:
    explicit NoticeAccessible(AnalysisNotice* notice)
        : QAccessibleObject(notice)
    {
    }

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

constexpr const char* FILTER_NAME = "quanvik_select_after_focus_told";

// A line edit entered by Tab selects its text in its focus-in handler, which
// runs before Qt tells assistive technology of the focus; Orca then spoke the
// selected figure, and the box with its figure again. While a reader
// listens, the handler runs one turn of the event loop later, after the
// focus is told: Orca finds the text already selected and speaks it once.
class SelectAfterFocusTold final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::FocusIn || !QAccessible::isActive())
            return false;
        auto* edit = qobject_cast<QLineEdit*>(watched);
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool selectsAll = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
            || reason == Qt::ShortcutFocusReason;
        if (edit == nullptr || !selectsAll || edit->hasSelectedText() || edit->text().isEmpty())
            return false;
        if (edit == resending_)
            return false;
        QPointer<QLineEdit> later(edit);
        const QString text = edit->text();
        QMetaObject::invokeMethod(
            this,
            [this, later, reason, text] {
                if (later.isNull() || !later->hasFocus())
                    return;
                // Typed into meanwhile: selecting all now would let the next
                // key replace what was typed.
                const bool untouched = later->text() == text;
                QFocusEvent again(QEvent::FocusIn, untouched ? reason : Qt::OtherFocusReason);
                resending_ = later;
                QCoreApplication::sendEvent(later, &again);
                resending_ = nullptr;
            },
            Qt::QueuedConnection);
        return true;
    }

private:
    QLineEdit* resending_ = nullptr;
};

// Tried before Qt's own factory, at each class from the object's own up.
QAccessibleInterface* formAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("AnalysisNotice"))
        return new NoticeAccessible(static_cast<AnalysisNotice*>(object));
    if (object == nullptr || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("QLineEdit")) {
        // Masked text stays with Qt's own interface, which never gives it out.
        auto* edit = static_cast<QLineEdit*>(widget);
        return edit->echoMode() == QLineEdit::Normal ? new LineEditAccessible(edit) : nullptr;
    }
    if (className == QLatin1String("Quanvik") && widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1String("QFrame")) {
        const QFrame::Shape shape = static_cast<QFrame*>(widget)->frameShape();
        if (shape == QFrame::HLine || shape == QFrame::VLine)
            return new QAccessibleWidget(widget, QAccessible::Separator);
    }
    return nullptr;
}

} // namespace

namespace quanvik {

void installFormAccessibility()
{
    // Qt keeps one entry per factory, however often it is installed.
    QAccessible::installFactory(formAccessible);
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr
        || app->findChild<QObject*>(QLatin1String(FILTER_NAME), Qt::FindDirectChildrenOnly) != nullptr)
        return;
    auto* filter = new SelectAfterFocusTold(app);
    filter->setObjectName(QLatin1String(FILTER_NAME));
    app->installEventFilter(filter);
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
    // Raised from the window: UI Automation's notification event and
    // AT-SPI's announcement, each spoken once.
    QAccessibleAnnouncementEvent event(parent(), text);
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    deliver_(&event);
#else
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    deliver_(&shown);
#endif
}
