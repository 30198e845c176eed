#include "caption_label.h"
#include "quanvik_form.h"
#include "result_box.h"

#include <QApplication>
#include <QTest>

// Layout is in logical pixels, so a denser screen must get a proportionally
// larger picture, not a smaller window.
class FormScaleTest : public QObject {
    Q_OBJECT

private slots:
    void grabIsTwiceTheSize()
    {
        Quanvik form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.devicePixelRatio(), 2.0);
        const QPixmap shot = form.grab();
        QCOMPARE(shot.size(), QSize(748, 852));
        QCOMPARE(form.size(), QSize(374, 426));
    }

    void captionsDrawnAtFullDensity()
    {
        // A caption drawn at 1x and scaled up would only have ink on even-sized
        // blocks; at 2x the glyph edges fall on odd device pixels too.
        Quanvik form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* label = form.findChild<CaptionLabel*>(QStringLiteral("Label24"));
        const QImage image = label->grab().toImage();
        QCOMPARE(image.size(), label->size() * 2);
        bool oddEdge = false;
        for (int y = 1; y < image.height() && !oddEdge; y += 2)
            for (int x = 0; x < image.width() && !oddEdge; ++x)
                oddEdge = image.pixel(x, y) != image.pixel(x, y - 1);
        QVERIFY(oddEdge);
    }

    void resultFitsAtFullDensity()
    {
        // Fitted in logical pixels, drawn by the line edit without scrolling.
        Quanvik form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.writeText(quanvik::FieldId::Text7, "开仓手数过大");
        auto* result = form.findChild<ResultBox*>(QStringLiteral("Text7"));
        QCOMPARE(QFontInfo(result->font()).pixelSize(), ResultBox::MIN_PIXEL_SIZE);
        QCOMPARE(result->shownText(), result->text());
        const QPoint start(result->contentsRect().left() + 4, result->height() / 2);
        result->end(false);
        QCOMPARE(result->cursorPositionAt(start), 0);
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    FormScaleTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "form_scale_test.moc"
