#pragma once

#include <QObject>

class QAccessibleEvent;
class QWidget;

// What a screen reader needs beyond Qt's own interfaces (docs/accessibility.md).
namespace quanvik {

// Puts before Qt's own: line edits' text in one attribute run with a word at
// its end, the form as a window, lines as separators, the notice below. Once,
// before the form is shown.
void installFormAccessibility();

} // namespace quanvik

// Says, for the ear alone, what just happened: with Qt's announcement event
// where Qt has one (6.8), else by showing a notification object, which Orca
// speaks as "通知 <text>" at every showing. Nothing is drawn.
class AnalysisNotice : public QObject {
    Q_OBJECT

public:
    explicit AnalysisNotice(QWidget* form);

    void announce(const QString& text);
    QString text() const { return text_; }

    // To Qt's accessibility, silent offscreen; a test records the events.
    using Delivery = void (*)(QAccessibleEvent* event);
    void setDelivery(Delivery delivery) { deliver_ = delivery; }

private:
    QString text_;
    Delivery deliver_;
};
