// Where each control stands and what it shows: the layout table, the
// captions and results that must fit their boxes, the icon.
#include "form_fixture.h"

#include "caption_label.h"
#include "form_layout.h"
#include "result_box.h"

#include <QAccessible>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>

#include <cstddef>

namespace {

// The widest text a run writes for a result box.
const QString LONGEST_EXPONENT = QStringLiteral("-1.23456789012345E+15");

// How far ink reaches, in device pixels, when `draw` paints at the screen's
// density onto a transparent image of `size` logical pixels: at fractional
// scales the device pixels decide whether a glyph is cut.
template <typename Draw> QSize inkExtent(QSize size, qreal ratio, Draw draw)
{
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    draw(image);
    QSize extent;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                extent = extent.expandedTo(QSize(x + 1, y + 1));
    return extent;
}

} // namespace

class FormLayoutTest : public FormFixture {
    Q_OBJECT

    // What the box draws, drawn again with room to spare, ends within the
    // device pixels of its line.
    static void expectDrawnWithin(const ResultBox* result)
    {
        const QRect line = result->lineRect();
        const qreal ratio = result->devicePixelRatioF();
        const QSize extent = inkExtent(line.size() + QSize(100, 0), ratio, [result](QImage& image) {
            QPainter painter(&image);
            painter.setFont(result->font());
            painter.drawText(image.rect(), Qt::AlignLeft | Qt::AlignVCenter, result->shownText());
        });
        QVERIFY2(extent.width() <= int(line.width() * ratio), qPrintable(result->shownText()));
    }

private slots:
    void window()
    {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Quanvik"));
        QCOMPARE(form_->size(), QSize(374, 426));
        QCOMPARE(form_->minimumSize(), form_->maximumSize());
        const Qt::WindowFlags flags = form_->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!form_->windowIcon().isNull());
        for (const QString& name : INPUTS + RESULTS)
            QVERIFY2(box(name)->text().isEmpty(), qPrintable(name));
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QColor>("colour"); // invalid: the style's own
        constexpr QRgb STYLE = 0;
        constexpr QRgb BLUE = qRgb(0, 0, 255);
        constexpr QRgb RED = qRgb(255, 0, 0);
        struct Row {
            const char* name;
            int left, top, width, height; // twips, 15 to a pixel at 96 dpi
            QRgb colour;
            const char* caption;
        };
        // The layout as it is specified, written here apart from the form's own table.
        // clang-format off
        const Row rows[] = {
            {"Label1", 240, 240, 735, 255, STYLE, "交易本金"},
            {"Text1", 1320, 240, 975, 270, STYLE, ""},
            {"Label2", 2400, 240, 375, 255, STYLE, "元"},
            {"Label3", 3000, 240, 975, 255, STYLE, "保证金比例"},
            {"Text2", 4080, 240, 975, 270, STYLE, ""},
            {"Label4", 5160, 240, 255, 255, STYLE, "%"},
            {"Label5", 240, 720, 855, 255, STYLE, "进场价位"},
            {"Text3", 1320, 720, 975, 270, STYLE, ""},
            {"Label7", 3000, 720, 735, 255, STYLE, "开仓手数"},
            {"Text5", 4080, 720, 975, 270, STYLE, ""},
            {"Label8", 5160, 720, 255, 255, STYLE, "手"},
            {"Label6", 240, 1200, 735, 255, STYLE, "出场价位"},
            {"Text4", 1320, 1200, 975, 270, STYLE, ""},
            {"Label9", 3000, 1200, 975, 255, STYLE, "拟持仓时间"},
            {"Text6", 4080, 1200, 975, 270, STYLE, ""},
            {"Label10", 5160, 1200, 255, 255, STYLE, "天"},
            {"Command1", 1800, 1680, 2175, 495, STYLE, "分析"},
            {"Label11", 240, 2520, 735, 255, BLUE, "分析结果"},
            {"Label12", 240, 2880, 975, 255, STYLE, "最大可开仓"},
            {"Text7", 1680, 2880, 975, 270, STYLE, ""},
            {"Label13", 2760, 2880, 255, 255, STYLE, "手"},
            {"Label14", 3240, 2880, 615, 255, STYLE, "盈亏额"},
            {"Text8", 4080, 2880, 975, 270, STYLE, ""},
            {"Label15", 5160, 2880, 255, 255, STYLE, "元"},
            {"Label20", 240, 3240, 1455, 255, STYLE, "做多盈亏平衡点"}, // reaches into Text11
            {"Text11", 1680, 3240, 975, 270, STYLE, ""},
            {"Label16", 3240, 3240, 615, 255, STYLE, "手续费"},
            {"Text9", 4080, 3240, 975, 270, STYLE, ""},
            {"Label17", 5160, 3240, 255, 255, STYLE, "元"},
            {"Label26", 240, 3600, 1335, 255, STYLE, "做空盈亏平衡点"},
            {"Text13", 1680, 3600, 975, 270, STYLE, ""},
            {"Label18", 3240, 3600, 615, 255, STYLE, "持仓费"},
            {"Text10", 4080, 3600, 975, 270, STYLE, ""},
            {"Label19", 5160, 3600, 255, 255, STYLE, "元"},
            {"Label21", 1200, 4080, 1335, 255, STYLE, "进场时点风险率"},
            {"Text12", 2760, 4080, 975, 270, STYLE, ""},
            {"Label22", 3840, 4080, 135, 255, STYLE, "%"}, // narrow
            {"Label23", 240, 4680, 735, 255, RED, "友情提示"},
            {"Label24", 240, 5040, 5295, 255, STYLE, "1、请填写上述所有需提供的数据，以方便计算器更准确的分析。"},
            {"Label25", 240, 5400, 4215, 255, STYLE, "2、当当前风险率小于50%，系统将会强行平仓。"},
            {"Label27", 240, 5760, 5175, 375, STYLE, "3、风险率会随市场价格的变动而变动，实际风险率变动以交易软件变动为主。"}, // two lines
            {"Line1", 0, 2400, 5640, 0, STYLE, ""},
            {"Line2", 0, 4560, 5640, 0, STYLE, ""},
        };
        // clang-format on
        for (const Row& row : rows)
            QTest::newRow(row.name) << QString::fromLatin1(row.name)
                                    << QRect(row.left / 15, row.top / 15, row.width / 15, row.height / 15)
                                    << QString::fromUtf8(row.caption)
                                    << (row.colour == STYLE ? QColor() : QColor(row.colour));
    }

    // Every control stands where the layout puts it and shows its caption.
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        QFETCH(QString, caption);
        QFETCH(QColor, colour);
        const QWidget* widget = control(name);
        if (name.startsWith(QStringLiteral("Line"))) {
            QCOMPARE(widget->geometry().topLeft(), pixels.topLeft());
            QCOMPARE(widget->width(), pixels.width());
            // Reaches past the client edge and is clipped there.
            QCOMPARE(widget->visibleRegion().boundingRect().width(), form_->width());
            return;
        }
        QCOMPARE(widget->geometry(), pixels);
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            QCOMPARE(label->text(), caption);
            QCOMPARE(label->palette().color(QPalette::WindowText),
                colour.isValid() ? colour : form_->palette().color(QPalette::WindowText));
        } else if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
            QCOMPARE(button->text(), caption);
        } else {
            QVERIFY(qobject_cast<const QLineEdit*>(widget) != nullptr);
        }
    }

    void controlCounts()
    {
        // 13 text boxes, 27 labels, the button and 2 lines, and nothing else.
        QCOMPARE(form_->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly).size(), 13);
        QCOMPARE(form_->findChildren<QLabel*>(Qt::FindDirectChildrenOnly).size(), 27);
        QCOMPARE(form_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 43);
    }

    void boxesAboveLabels()
    {
        // Label20 reaches into Text11 at x = 112: the box must be on top there.
        const QRect label20 = control("Label20")->geometry();
        const QRect text11 = control("Text11")->geometry();
        QVERIFY(label20.intersects(text11));
        QCOMPARE(form_->childAt(text11.left(), text11.center().y()), control("Text11"));
        for (const QString& name : INPUTS + RESULTS)
            QCOMPARE(form_->childAt(control(name)->geometry().center()), control(name));
    }

    void captionsFit()
    {
        QVERIFY2(QFontInfo(form_->font()).family() == QStringLiteral("WenQuanYi Micro Hei Mono"),
            "install fonts-wqy-microhei");
        const QList<CaptionLabel*> labels = form_->findChildren<CaptionLabel*>();
        QCOMPARE(labels.size(), 27);
        for (const CaptionLabel* label : labels) {
            const QString what = label->objectName() + ": " + label->text();
            const QSize box = label->size();
            // Wrapped at the box's width, no line is wider than the box...
            const QFontMetrics metrics(label->font());
            const QRect wrapped = metrics.boundingRect(QRect(QPoint(), QSize(box.width(), 10000)),
                Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, label->text());
            QVERIFY2(wrapped.width() <= box.width(), qPrintable(what));
            // ...and drawn at the screen's density in a box larger than its
            // own, no ink falls below or beyond the pixels the box gets.
            CaptionLabel large(label->text());
            large.setFont(label->font());
            large.resize(box.width(), box.height() + 40);
            const qreal ratio = label->devicePixelRatioF();
            const QSize extent = inkExtent(large.size(), ratio, [&large](QImage& image) {
                large.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            });
            const QSize room = (QSizeF(box) * ratio).toSize();
            QVERIFY2(!extent.isEmpty() && extent.width() <= room.width() && extent.height() <= room.height(),
                qPrintable(what));
            if (label->objectName() == QStringLiteral("Label27"))
                QVERIFY2(extent.height() > room.height() / 2, "the note wraps onto a second line");
        }
    }

    void resultShownWhole_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixelSize"); // 0: elided at the smallest size
        struct Row {
            const char* text;
            int pixelSize;
        };
        const Row rows[] = {
            {"12", 12},
            {"开仓手数过大", 9},   // was cut to 开仓手数过
            {"5145.32061", 9},     // was cut to 5145.320
            {"41666666415.67", 0}, // was cut to 41666666 and half a 4
            {"-12345678.9012345", 0},
            {"-1.23456789012345E+15", 0},
        };
        for (const QString& name : RESULTS)
            for (const Row& row : rows)
                QTest::addRow("%s %s", qPrintable(name), row.text)
                    << name << QString::fromUtf8(row.text) << row.pixelSize;
    }

    // A cut figure must never read as another: shown whole in a smaller font,
    // else visibly elided; the text itself is always whole.
    void resultShownWhole()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, pixelSize);
        auto* result = control<ResultBox>(name);
        const auto field = quanvik::FieldId(int(RESULTS.indexOf(name)) + 6);
        // After the widest text, so that the font must grow back too.
        form_->writeText(field, LONGEST_EXPONENT.toStdString());
        form_->writeText(field, text.toStdString());
        QCOMPARE(result->text(), text);
        QCOMPARE(QFontInfo(result->font()).family(), QFontInfo(form_->font()).family());

        if (pixelSize != 0) {
            QCOMPARE(QFontInfo(result->font()).pixelSize(), pixelSize);
            QCOMPARE(result->shownText(), text);
            QVERIFY(result->toolTip().isEmpty());
            // Drawn by the line edit itself: with the cursor at the end the
            // start is still in view, so nothing is scrolled away.
            const QPoint start(result->contentsRect().left() + 4, result->height() / 2);
            QCOMPARE(result->cursorPositionAt(start), 0);
            result->end(false);
            QCOMPARE(result->cursorPositionAt(start), 0);
        } else {
            QCOMPARE(QFontInfo(result->font()).pixelSize(), ResultBox::MIN_PIXEL_SIZE);
            const QString shown = result->shownText();
            const qsizetype cut = shown.indexOf(QChar(ResultBox::ELLIPSIS));
            QVERIFY2(cut >= 3 && shown.size() - cut >= 4, qPrintable(shown));
            QVERIFY(text.startsWith(shown.left(cut)) && text.endsWith(shown.mid(cut + 1)));
            QVERIFY(QFontMetrics(result->font()).horizontalAdvance(shown) < result->contentsRect().width());
            QCOMPARE(result->toolTip(), text);
        }
        expectDrawnWithin(result);

        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(result);
        QCOMPARE(accessible->text(QAccessible::Value), text);
        result->setFocus();
        QTest::keyClick(result, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(result, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), text);
    }

    void longResultsKeepTheirMeaning_data()
    {
        QTest::addColumn<QString>("principal");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("riskRate");
        const QString nines(200, QLatin1Char('9'));
        QTest::newRow("200 nines pasted") << nines << true << "8.33333333333333E+199";
        QTest::newRow("minus 200 nines pasted") << "-" + nines << true << "-8.33333333333333E+199";
        QTest::newRow("1.797E+308 typed") << "1.797E+308" << false << "1.4975E+308";
    }

    // Elided, a result still reads as its own figure: an exponent form keeps
    // its E, sign and exponent whole after the cut, a plain one its sign and
    // leading digits before it.
    void longResultsKeepTheirMeaning()
    {
        QFETCH(QString, principal);
        QFETCH(bool, pasted);
        QFETCH(QString, riskRate);
        fill(INPUTS.mid(1), {"10", "50", "51", "2", "3"});
        QLineEdit* input = box("Text1");
        input->setFocus();
        if (pasted) {
            QApplication::clipboard()->setText(principal);
            QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClicks(input, principal);
        }
        QCOMPARE(input->text(), principal);
        pressExpectingMessage();
        QCOMPARE(box("Text12")->text(), riskRate);

        // A plain figure's cut is checked with the others in resultShownWhole.
        static const QRegularExpression EXPONENT_FORM(QStringLiteral("^(-?[0-9.]+)(E[+-][0-9]+)$"));
        int exponentsElided = 0;
        for (const QString& name : RESULTS) {
            auto* result = control<ResultBox>(name);
            const QString shown = result->shownText();
            const QRegularExpressionMatch exponent = EXPONENT_FORM.match(result->text());
            expectDrawnWithin(result);
            if (shown == result->text() || !exponent.hasMatch())
                continue;
            // The mantissa's sign and a digit, the mark of the cut, the exponent whole.
            const QString head = exponent.captured(1).left(shown.size() - exponent.capturedLength(2) - 1);
            QVERIFY2(shown == head + QChar(ResultBox::ELLIPSIS) + exponent.captured(2), qPrintable(shown));
            QVERIFY2(head.contains(QRegularExpression(QStringLiteral("[0-9]"))), qPrintable(shown));
            ++exponentsElided;
        }
        // Fifteen digits and an exponent fit no box, whatever the font.
        QVERIFY(exponentsElided > 0 || riskRate.size() < 20);
    }

    void captionIcon()
    {
        QVERIFY(QImageReader::supportedImageFormats().contains("ico"));
        QImageReader reader(QStringLiteral(":/quanvik/form.ico"));
        QCOMPARE(reader.imageCount(), 2);
        QList<int> colourCounts;
        do {
            const QImage image = reader.read();
            QCOMPARE(image.size(), QSize(16, 16));
            QSet<QRgb> colours;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    if (qAlpha(image.pixel(x, y)) != 0)
                        colours.insert(image.pixel(x, y));
            colourCounts << int(colours.size());
        } while (reader.jumpToNextImage());
        QCOMPARE(colourCounts.size(), 2);
        QCOMPARE(colourCounts[0], 2);
        QVERIFY(colourCounts[1] > 2 && colourCounts[1] <= 16);
        QVERIFY(form_->windowIcon().availableSizes().contains(QSize(16, 16)));
    }
};

QTEST_MAIN(FormLayoutTest)
#include "form_layout_test.moc"
