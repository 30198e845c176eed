#pragma once

#include <QObject>
#include <QString>

class QAccessibleEvent;
class QWidget;

// What a screen reader needs from the form beyond Qt's own interfaces:
// - every line edit answers a text-attribute query with one run over its
//   whole text. Qt's own (6.4 to 6.8) answers with an empty run at the
//   offset asked, and Orca, which builds the line it speaks from those runs,
//   then says a figure without its last character: 49 as "4";
// - the form is a window (a frame to AT-SPI, announced with its title), not
//   the filler a plain QWidget is;
// - the separator lines are separators, not frames;
// - while a reader listens, a line edit entered by Tab selects its text after
//   Qt has told the reader of the focus, not before: Orca 43 spoke a selection
//   it heard before the focus as well, so each figure twice.
namespace quanvik {

// Installs the interfaces above into the running application. Call it before
// the form's first control is shown to an assistive technology.
void installFormAccessibility();

} // namespace quanvik

// Says, for the ear alone, what just happened: each announce() shows a
// notification object to assistive technology (Orca speaks it as
// "通知 <text>", again at every call, the same text included). Nothing is
// drawn; the object is no widget.
class AnalysisNotice : public QObject {
    Q_OBJECT

public:
    explicit AnalysisNotice(QWidget* form);

    void announce(const QString& text);
    QString text() const { return text_; }

    // Where the events go: to Qt's accessibility, which passes nothing on
    // without a platform reader (offscreen); a test records them instead.
    using Delivery = void (*)(QAccessibleEvent* event);
    void setDelivery(Delivery delivery) { deliver_ = delivery; }

private:
    QString text_;
    Delivery deliver_;
};
