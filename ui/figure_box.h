#pragma once

#include <QLineEdit>

// A text box of the form. Entered by Tab, it selects its text one turn of the
// event loop after the focus, not in the focus-in handler: Qt tells assistive
// technology of the focus after that handler, and a reader that heard the
// selection first speaks the figure twice. A key that comes in between keeps
// what it did: the box then selects nothing.
class FigureBox : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override;
};
