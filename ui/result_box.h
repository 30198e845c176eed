#pragma once

#include "figure_box.h"

// A read-only box for one result. It never shows a figure cut so that it
// reads as another: a text too wide for the box is drawn in a smaller font,
// down to MIN_PIXEL_SIZE, and beyond that elided: a plain figure in the
// middle, keeping its sign and leading digits; an exponent form in its
// mantissa, keeping the E, the sign and the exponent whole ("1.33⋯E+198").
// The tooltip, text(), the accessible value and copying give the whole text
// always. A stale box, one a faulted run did not reach, is dimmed.
class ResultBox : public FigureBox {
    Q_OBJECT

public:
    // 3/4 of the form's 12 px: digits 5 px wide with open counters, the least
    // at which 3, 6, 8 and 9 still tell apart, and Chinese still reads.
    static constexpr int MIN_PIXEL_SIZE = 9;
    // The midline ellipsis: the baseline one reads as a decimal point at 9 px.
    static constexpr char16_t ELLIPSIS = u'\u22EF';

    explicit ResultBox(QWidget* parent = nullptr);

    void setStale(bool stale);
    bool isStale() const { return stale_; }

    // The text as drawn: whole, or elided with an ellipsis.
    QString shownText() const;
    // Where the text is drawn: inside the frame and the line edit's margins.
    QRect lineRect() const;

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void fitText();
    void reclaimStyleInset();
    void applyColours();

    bool stale_ = false;
    bool elided_ = false;
    bool adjusting_ = false; // our own font and palette changes come back as events
};
