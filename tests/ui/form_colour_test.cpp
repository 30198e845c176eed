// The colours the form paints with on light and dark windows, and the accent
// filled in where the system has none.
#include "form_fixture.h"

#include "form_setup.h"
#include "readable_colour.h"
#include "tools/dark_palette.h"

#include <QHash>
#include <QImage>
#include <QPalette>

#include <algorithm>
#include <utility>

namespace {

// The text colour a control paints with and its background: the pixel that
// stands out most from the commonest one, and that. Inside the frame: the
// Windows 11 style rounds its boxes and underlines them darker than the text.
std::pair<QColor, QColor> paintedColours(QWidget* form, QWidget* control)
{
    const QImage image = form->grab(control->geometry().adjusted(3, 3, -3, -3)).toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const QColor background = QColor::fromRgb(
        std::max_element(counts.cbegin(), counts.cend(), [](int a, int b) { return a < b; }).key());
    QColor ink = background;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (quanvik::contrastRatio(image.pixelColor(x, y), background)
                > quanvik::contrastRatio(ink, background))
                ink = image.pixelColor(x, y);
    return {ink, background};
}

} // namespace

class FormColourTest : public FormFixture {
    Q_OBJECT

private slots:
    void themes_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    // The layout's blue and red exactly on a light window; on a dark one their
    // own hue, lightened to a readable contrast. Results stay readable, stale
    // ones too, in both.
    void themes()
    {
        QFETCH(bool, dark);
        // The theme changes after the fault: stale boxes follow it too.
        fill(INPUTS, WORKED_EXAMPLE);
        QVERIFY(!pressExpectingMessage().shown);
        box("Text5")->clear(); // step 18 divides by zero: Text12 and Text13 are not reached
        QVERIFY(pressExpectingMessage().shown);
        form_->setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
        // Glyphs without antialiasing, so that each pixel is ink or background.
        QFont solid = form_->font();
        solid.setStyleStrategy(QFont::NoAntialias);
        form_->setFont(solid);
        struct Caption {
            const char* name;
            QColor layout;
        };
        for (const Caption& caption : {Caption {"Label11", Qt::blue}, Caption {"Label23", Qt::red}}) {
            const auto [ink, background] = paintedColours(form_.get(), control(caption.name));
            const QString what =
                QStringLiteral("%1 %2 on %3").arg(caption.name, ink.name(), background.name());
            QCOMPARE(background, form_->palette().color(QPalette::Window));
            if (dark) {
                QCOMPARE(ink.hue(), caption.layout.hue());
                QVERIFY2(quanvik::contrastRatio(ink, background) >= 4.5, qPrintable(what));
            } else {
                QCOMPARE(ink, caption.layout);
            }
        }

        const auto [freshInk, freshBackground] = paintedColours(form_.get(), control("Text11"));
        const auto [staleInk, staleBackground] = paintedColours(form_.get(), control("Text12"));
        QCOMPARE(staleBackground, freshBackground);
        QVERIFY2(quanvik::contrastRatio(freshInk, freshBackground) >= 7, qPrintable(freshInk.name()));
        QVERIFY2(quanvik::contrastRatio(staleInk, staleBackground) >= 4.5, qPrintable(staleInk.name()));
        QVERIFY2(quanvik::contrastRatio(staleInk, staleBackground)
                < quanvik::contrastRatio(freshInk, freshBackground) - 2,
            qPrintable(staleInk.name()));
    }

    void missingAccent_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QColor>("filled"); // invalid: the palette's own kept
        const QColor accent(0x00, 0x78, 0xD4);
        // Wine keeps no accent colour: selections in the Windows 11 style would paint black.
        QTest::newRow("light, none") << false << true << accent.darker(120);
        QTest::newRow("dark, none") << true << true << accent;
        // A colour the system gives is never replaced.
        QTest::newRow("light, system's") << false << false << QColor();
        QTest::newRow("dark, system's") << true << false << QColor();
    }

    void missingAccent()
    {
        QFETCH(bool, dark);
        QFETCH(bool, missing);
        QFETCH(QColor, filled);
        QPalette palette = dark ? darkPalette() : QApplication::style()->standardPalette();
        const QColor own = palette.color(QPalette::Highlight);
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, QPalette::Highlight, missing ? QColor() : own);
        QCOMPARE(quanvik::fillMissingAccent(palette), missing);
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            QCOMPARE(palette.color(group, QPalette::Highlight), missing ? filled : own);
    }
};

QTEST_MAIN(FormColourTest)
#include "form_colour_test.moc"
