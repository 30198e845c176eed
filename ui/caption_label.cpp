#include "caption_label.h"

#include <QFontInfo>
#include <QPainter>
#include <QTextLayout>

CaptionLabel::CaptionLabel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

int CaptionLabel::linePitch(const QFont& font)
{
    return QFontInfo(font).pixelSize();
}

void CaptionLabel::paintEvent(QPaintEvent*)
{
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WordWrap);
    QTextLayout layout(text(), font());
    layout.setTextOption(option);
    layout.beginLayout();
    const int pitch = linePitch(font());
    for (int top = 0;; top += pitch) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width());
        line.setPosition(QPointF(0, top));
    }
    layout.endLayout();

    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    layout.draw(&painter, QPointF(0, 0));
}
