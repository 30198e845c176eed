#include "caption_label.h"

#include "readable_colour.h"

#include <QFontInfo>
#include <QPainter>
#include <QScopedValueRollback>
#include <QTextLayout>

CaptionLabel::CaptionLabel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CaptionLabel::setLayoutColour(const QColor& colour)
{
    layoutColour_ = colour;
    applyColour();
}

void CaptionLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColour();
}

void CaptionLabel::applyColour()
{
    if (!layoutColour_.isValid() || adjusting_)
        return;
    const QScopedValueRollback guard(adjusting_, true);
    // Only the text colour is our own, so the background keeps following the
    // form and a new theme arrives here as a palette change.
    QPalette own;
    own.setColor(
        QPalette::WindowText, quanvik::captionColourOn(layoutColour_, palette().color(QPalette::Window)));
    setPalette(own);
}

void CaptionLabel::paintEvent(QPaintEvent* event)
{
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WordWrap);
    QTextLayout layout(text(), font());
    layout.setTextOption(option);
    layout.beginLayout();
    // One em from baseline to baseline.
    const int pitch = QFontInfo(font()).pixelSize();
    for (int top = 0;; top += pitch) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width());
        line.setPosition(QPointF(0, top));
    }
    layout.endLayout();
    // A caption on one line is drawn as any label draws it.
    if (layout.lineCount() < 2) {
        QLabel::paintEvent(event);
        return;
    }

    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    layout.draw(&painter, QPointF(0, 0));
}
