#include "result_box.h"

#include "readable_colour.h"

#include <QApplication>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyleOptionFrame>

#include <algorithm>
#include <limits>

namespace {

// QLineEdit keeps this much room either side of its text, and one pixel
// after it for the cursor; a text that needs more is scrolled.
constexpr int TEXT_MARGIN = 2;
constexpr int CURSOR_WIDTH = 1;

} // namespace

ResultBox::ResultBox(QWidget* parent)
    : FigureBox(parent)
{
    setReadOnly(true);
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &ResultBox::fitText);
    applyColours();
}

void ResultBox::setStale(bool stale)
{
    stale_ = stale;
    setAccessibleDescription(stale ? QStringLiteral("来自之前的分析，本次分析未更新") : QString());
    applyColours();
}

QString ResultBox::shownText() const
{
    if (!elided_)
        return text();
    // An exponent stays whole with its E and sign, so that the cut falls in
    // the mantissa's digits; a plain figure loses its middle.
    const QString whole = text();
    const qsizetype exponent = whole.lastIndexOf(QLatin1Char('E'));
    const bool keepExponent = exponent > 0 && exponent + 1 < whole.size()
        && (whole[exponent + 1] == QLatin1Char('+') || whole[exponent + 1] == QLatin1Char('-'));
    auto elided = [&](qsizetype kept) {
        if (keepExponent)
            return whole.left(kept) + QChar(ELLIPSIS) + whole.mid(exponent);
        return whole.left(kept - kept / 2) + QChar(ELLIPSIS) + whole.right(kept / 2);
    };
    // The most characters that fit around the ellipsis; however narrow the
    // box, a mantissa keeps its sign and a digit.
    const QFontMetrics metrics = fontMetrics();
    const qsizetype least = keepExponent ? (whole.startsWith(QLatin1Char('-')) ? 2 : 1) : 0;
    qsizetype fits = least;
    qsizetype tooMany = keepExponent ? exponent : whole.size();
    while (tooMany - fits > 1) {
        const qsizetype middle = (fits + tooMany) / 2;
        if (metrics.horizontalAdvance(elided(middle)) <= lineRect().width())
            fits = middle;
        else
            tooMany = middle;
    }
    return elided(fits);
}

void ResultBox::changeEvent(QEvent* event)
{
    FigureBox::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
        fitText();
        break;
    case QEvent::PaletteChange:
        applyColours();
        break;
    default:
        break;
    }
}

void ResultBox::resizeEvent(QResizeEvent* event)
{
    FigureBox::resizeEvent(event);
    fitText();
}

QRect ResultBox::lineRect() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents =
        style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
    return contents.adjusted(TEXT_MARGIN, 0, -TEXT_MARGIN, 0);
}

// Qt's Windows 11 style keeps 4 pixels inside a line edit's frame either side
// of the text; at 975 twips the longest message of a run then does not fit
// even at MIN_PIXEL_SIZE. A result box gives the room beyond the frame back
// to its text; under styles that keep none it changes nothing.
void ResultBox::reclaimStyleInset()
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect whole = option.rect;
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const int left = std::max(0, contents.left() - whole.left() - option.lineWidth);
    const int right = std::max(0, whole.right() - contents.right() - option.lineWidth);
    setTextMargins(-left, 0, -right, 0);
}

void ResultBox::fitText()
{
    if (adjusting_)
        return;
    const QScopedValueRollback guard(adjusting_, true);
    reclaimStyleInset();
    const QFont inherited = parentWidget() != nullptr ? parentWidget()->font() : QApplication::font(this);
    const int room = lineRect().width() - CURSOR_WIDTH;
    QFont fitted = inherited;
    int size = QFontInfo(inherited).pixelSize();
    for (; size > MIN_PIXEL_SIZE; --size) {
        fitted.setPixelSize(size);
        if (QFontMetrics(fitted).horizontalAdvance(text()) <= room)
            break;
    }
    fitted.setPixelSize(size);
    elided_ = !text().isEmpty() && QFontMetrics(fitted).horizontalAdvance(text()) > room;

    // Only the size is our own: family and the rest keep following the form.
    QFont own;
    if (size != QFontInfo(inherited).pixelSize())
        own.setPixelSize(size);
    setFont(own);
    setToolTip(elided_ ? text() : QString());
    update();
}

void ResultBox::applyColours()
{
    if (adjusting_)
        return;
    const QScopedValueRollback guard(adjusting_, true);
    const QPalette theme =
        parentWidget() != nullptr ? parentWidget()->palette() : QApplication::palette(this);
    const QColor background = theme.color(QPalette::Active, QPalette::Window);

    // Only the roles set here are our own; the rest keeps following the form.
    // The window background marks the box as one only the analysis writes.
    QPalette own;
    own.setColor(QPalette::Base, background);
    if (stale_) {
        // The theme's disabled text, but never so faint that it cannot be read.
        const QColor dimmed = quanvik::towardContrast(theme.color(QPalette::Disabled, QPalette::Text),
            theme.color(QPalette::Active, QPalette::Text), background, quanvik::MIN_TEXT_CONTRAST);
        own.setColor(QPalette::Active, QPalette::Text, dimmed);
        own.setColor(QPalette::Inactive, QPalette::Text, dimmed);
    }
    setPalette(own);
}

void ResultBox::paintEvent(QPaintEvent* event)
{
    if (!elided_) {
        FigureBox::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);

    const QRect line = lineRect();
    const QString shown = shownText();
    QPalette::ColorRole role = QPalette::Text;
    // Select-all is the one selection that maps onto an elided text.
    if (!text().isEmpty() && selectedText() == text()) {
        painter.fillRect(fontMetrics().boundingRect(line, Qt::AlignLeft | Qt::AlignVCenter, shown),
            palette().brush(QPalette::Highlight));
        role = QPalette::HighlightedText;
    }
    painter.setPen(palette().color(role));
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, shown);
}
