#include "caption_label.h"
#include "form_layout.h"
#include "form_setup.h"
#include "quanvik_form.h"
#include "result_box.h"
#include "tools/dark_palette.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QFontInfo>
#include <QFrame>
#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const QStringList INPUTS {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"};
const QStringList RESULTS {"Text7", "Text8", "Text9", "Text10", "Text11", "Text12", "Text13"};

// Principal, margin ratio, entry, exit, lots, days.
const QStringList WORKED_EXAMPLE {"950", "10", "50", "51", "2", "3"};
const QStringList WORKED_RESULTS {"12", "26.676", "2.424", "0.9", "51", "540.67", "49"};

// The texts a run writes that are widest for their boxes.
const QString TOO_MANY_LOTS = QStringLiteral("开仓手数过大");
const QString LONGEST_EXPONENT = QStringLiteral("-1.23456789012345E+15");

// Contrast as the web's accessibility guidelines define it, 1 to 21.
double contrast(QColor a, QColor b)
{
    auto luminance = [](QColor c) {
        auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

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
            if (contrast(image.pixelColor(x, y), background) > contrast(ink, background))
                ink = image.pixelColor(x, y);
    return {ink, background};
}

// What the message box showed; filled by a timer while exec() runs.
struct SeenMessage {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

} // namespace

class FormTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Quanvik> form_;

    template <typename T = QWidget> T* control(const QString& name) const
    {
        auto* found = form_->findChild<T*>(name);
        if (found == nullptr)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QLineEdit* box(const QString& name) const { return control<QLineEdit>(name); }

    void fill(const QStringList& names, const QStringList& texts)
    {
        for (qsizetype i = 0; i < names.size(); ++i)
            box(names[i])->setText(texts[i]);
    }
    QStringList texts(const QStringList& names) const
    {
        QStringList out;
        for (const QString& name : names)
            out << box(name)->text();
        return out;
    }

    // Clicks Command1 and answers the modal message, if one comes, from inside
    // its event loop; a box left open would hang the test.
    SeenMessage pressExpectingMessage()
    {
        SeenMessage seen;
        QTimer::singleShot(0, this, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            seen.shown = true;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            for (QAbstractButton* button : box->buttons())
                seen.buttons << button->text();
            box->buttons().first()->click();
        });
        control<QPushButton>("Command1")->click();
        return seen;
    }

private slots:
    void init()
    {
        form_ = std::make_unique<Quanvik>();
        form_->show();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }
    void cleanup() { form_.reset(); }

    // A run that asks for a style (-style) must get it, not Qt's silent fallback.
    void askedStyle()
    {
        const QString asked = qEnvironmentVariable("QUANVIK_EXPECT_STYLE");
        if (asked.isEmpty())
            QSKIP("no style asked for");
        QCOMPARE(QApplication::style()->name().toLower(), asked.toLower());
    }

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
        QTest::addColumn<int>("row");
        for (const quanvik::ControlRow& entry : quanvik::formLayout())
            QTest::newRow(entry.name) << int(&entry - quanvik::formLayout().data());
    }

    // Every control is built as its row of the layout table says.
    void controls()
    {
        QFETCH(int, row);
        const quanvik::ControlRow& entry = quanvik::formLayout()[std::size_t(row)];
        const QWidget* widget = control(QString::fromLatin1(entry.name));
        const QRect rect(entry.left / 15, entry.top / 15, entry.width / 15, entry.height / 15);
        const QColor colour = entry.colour == quanvik::SYSTEM_COLOUR
            ? form_->palette().color(QPalette::WindowText)
            : QColor::fromRgb(entry.colour);
        switch (entry.kind) {
        case quanvik::ControlKind::Label:
            QCOMPARE(widget->geometry(), rect);
            QCOMPARE(qobject_cast<const QLabel*>(widget)->text(), QString::fromUtf8(entry.caption));
            QCOMPARE(widget->palette().color(QPalette::WindowText), colour);
            break;
        case quanvik::ControlKind::TextBox:
            QCOMPARE(widget->geometry(), rect);
            QVERIFY(qobject_cast<const QLineEdit*>(widget) != nullptr);
            break;
        case quanvik::ControlKind::PushButton:
            QCOMPARE(widget->geometry(), rect);
            QCOMPARE(qobject_cast<const QPushButton*>(widget)->text(), QString::fromUtf8(entry.caption));
            break;
        case quanvik::ControlKind::Line:
            QCOMPARE(widget->geometry().topLeft(), rect.topLeft());
            QCOMPARE(widget->width(), rect.width());
            // Reaches past the client edge and is clipped there.
            QCOMPARE(widget->visibleRegion().boundingRect().width(), form_->width());
            break;
        }
    }

    void controlsPinned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::addColumn<QString>("caption");
        // Independent of the table: the rows other checks depend on.
        QTest::newRow("Command1") << "Command1" << QRect(120, 112, 145, 33) << "分析";
        QTest::newRow("Label20 under Text11") << "Label20" << QRect(16, 216, 97, 17) << "做多盈亏平衡点";
        QTest::newRow("Text11") << "Text11" << QRect(112, 216, 65, 18) << "";
        QTest::newRow("Label22 narrow") << "Label22" << QRect(256, 272, 9, 17) << "%";
        QTest::newRow("Label27 two lines")
            << "Label27" << QRect(16, 384, 345, 25)
            << "3、风险率会随市场价格的变动而变动，实际风险率变动以交易软件变动为主。";
    }

    void controlsPinned()
    {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        QFETCH(QString, caption);
        QCOMPARE(control(name)->geometry(), pixels);
        if (auto* label = form_->findChild<QLabel*>(name))
            QCOMPARE(label->text(), caption);
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

    void tabChainAndInitialFocus()
    {
        QCOMPARE(QApplication::focusWidget(), control("Text1"));
        const QStringList chain = INPUTS + QStringList {"Command1"} + RESULTS + QStringList {"Text1"};
        for (qsizetype i = 1; i < chain.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), chain[i]);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text13"));
    }

    void typedWithTheKeyboard_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QStringList>("results");
        QTest::newRow("worked example") << WORKED_EXAMPLE << WORKED_RESULTS;
        // More lots than the principal covers: the message, and a negative risk rate.
        QTest::newRow("too many lots") << QStringList {"100", "10", "50", "51", "2",
            "3"} << QStringList {"开仓手数过大", "26.676", "2.424", "0.9", "51", "-167.67", "49"};
        // Exactly as many lots as the principal covers counts as too many.
        QTest::newRow("lots equal to max") << QStringList {"150", "10", "50", "51", "2",
            "3"} << QStringList {"开仓手数过大", "26.676", "2.424", "0.9", "51", "-126", "49"};
    }

    void typedWithTheKeyboard()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QStringList, results);
        for (const QString& input : inputs) {
            QTest::keyClicks(QApplication::focusWidget(), input);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(texts(INPUTS), inputs);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(texts(RESULTS), results);
        for (const QString& name : RESULTS)
            QVERIFY2(box(name)->cursorPosition() == 0, "a long result must show its start");

        // A second press with the same inputs changes nothing; Enter on the
        // focused button presses it too.
        fill(RESULTS, QStringList(RESULTS.size(), QStringLiteral("old")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(texts(RESULTS), results);
    }

    void enterInATextBoxDoesNotAnalyse()
    {
        fill(INPUTS, WORKED_EXAMPLE);
        for (const QString& name : INPUTS) {
            box(name)->setFocus();
            QTest::keyClick(box(name), Qt::Key_Return);
            QTest::keyClick(box(name), Qt::Key_Enter, Qt::KeypadModifier);
        }
        QCOMPARE(texts(RESULTS), QStringList(RESULTS.size(), QString()));
        const auto* button = control<QPushButton>("Command1");
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
        QCOMPARE(button->shortcut(), QKeySequence());
    }

    void faults_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("inputsNamed");
        QTest::addColumn<QStringList>("readings"); // the inputs named that likely caused it
        QTest::addColumn<QStringList>("resultsAfter");
        QTest::addColumn<QString>("before");
        const QString old = QStringLiteral("old");
        const QString firstThree = QStringLiteral("交易本金、保证金比例、进场价位");
        // Step 3, 0 / 0: nothing is written, the old results stay.
        QTest::newRow("all empty") << QStringList(6, QString()) << "无效运算" << firstThree
                                   << QStringList {"交易本金：读作 0", "保证金比例：读作 0",
                                          "进场价位：读作 0"}
                                   << QStringList(7, old) << old;
        // Nothing shown before: nothing to mark as stale.
        QTest::newRow("all empty, first press")
            << QStringList(6, QString()) << "无效运算" << firstThree
            << QStringList {"交易本金：读作 0", "保证金比例：读作 0", "进场价位：读作 0"}
            << QStringList(7, QString()) << QString();
        // Step 3, reading the principal.
        QTest::newRow("principal too large")
            << QStringList {"1E999", "10", "50", "51", "2", "3"} << "溢出" << firstThree
            << QStringList {"交易本金「1E999」超出数值范围"} << QStringList(7, old) << old;
        // A zero typed as such is named; a price with its unit reads as its number.
        QTest::newRow("zero margin, price with unit")
            << QStringList {"950", "0", "50元", "51", "2", "3"} << "除数为零" << firstThree
            << QStringList {"保证金比例「0」读作 0", "进场价位「50元」读作 50"} << QStringList(7, old) << old;
        // Read as written by the engine, and long texts shortened.
        QTest::newRow("margin of words")
            << QStringList {"950", "ten percent, not less", "5e1", "51", "2", "3"} << "除数为零" << firstThree
            << QStringList {"保证金比例「ten percent…」读作 0"} << QStringList(7, old) << old;
        // Step 18 divides by a zero risk base: Text12 and Text13 keep their old text.
        QTest::newRow("empty lots") << QStringList {"950", "10", "50", "51", "", "3"} << "除数为零"
                                    << "交易本金、进场价位、开仓手数" << QStringList {"开仓手数：读作 0"}
                                    << QStringList {"12", "0", "0", "0", "51", old, old} << old;
        QTest::newRow("lots with unit")
            << QStringList {"950", "10", "50", "51", "0手", "3"} << "除数为零"
            << "交易本金、进场价位、开仓手数" << QStringList {"开仓手数「0手」读作 0"}
            << QStringList {"12", "0", "0", "0", "51", old, old} << old;
    }

    void faults()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, fault);
        QFETCH(QString, inputsNamed);
        QFETCH(QStringList, readings);
        QFETCH(QStringList, resultsAfter);
        QFETCH(QString, before);
        fill(INPUTS, inputs);
        fill(RESULTS, QStringList(RESULTS.size(), before));

        const SeenMessage seen = pressExpectingMessage();
        QVERIFY(seen.shown);
        QCOMPARE(seen.title, QStringLiteral("Quanvik"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.buttons, QStringList {QStringLiteral("确定")});
        QVERIFY2(seen.text.contains(fault), qPrintable(seen.text));
        QVERIFY2(seen.text.contains(inputsNamed), qPrintable(seen.text));
        QStringList lines = seen.text.split('\n').mid(2);
        lines.removeAll(QStringLiteral("灰色显示的结果未更新。"));
        QCOMPARE(lines, readings);

        QVERIFY(form_->isVisible());
        QCOMPARE(texts(INPUTS), inputs);
        QCOMPARE(texts(RESULTS), resultsAfter);

        // What the run did not reach is dimmed and says so, still readable and copyable.
        const QColor fresh = form_->palette().color(QPalette::Text);
        bool anyStale = false;
        for (const QString& name : RESULTS) {
            auto* result = control<ResultBox>(name);
            const bool stale = !before.isEmpty() && result->text() == before;
            anyStale = anyStale || stale;
            QCOMPARE(result->isStale(), stale);
            QCOMPARE(result->accessibleDescription().contains(QStringLiteral("之前的分析")), stale);
            QCOMPARE(result->palette().color(QPalette::Text) != fresh, stale);
        }
        QCOMPARE(seen.text.contains(QStringLiteral("灰色显示的结果未更新")), anyStale);
        if (anyStale) {
            QLineEdit* stale = box(RESULTS.last());
            stale->setFocus();
            QTest::keyClick(stale, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(stale, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(QApplication::clipboard()->text(), before);
        }

        // A run that writes every box shows them all as current again.
        fill(INPUTS, WORKED_EXAMPLE);
        QVERIFY(!pressExpectingMessage().shown);
        for (const QString& name : RESULTS) {
            QVERIFY(!control<ResultBox>(name)->isStale());
            QVERIFY(control<ResultBox>(name)->accessibleDescription().isEmpty());
            QCOMPARE(box(name)->palette().color(QPalette::Text), fresh);
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

        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(result);
        QCOMPARE(accessible->text(QAccessible::Value), text);
        result->setFocus();
        QTest::keyClick(result, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(result, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), text);
    }

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
                QVERIFY2(contrast(ink, background) >= 4.5, qPrintable(what));
            } else {
                QCOMPARE(ink, caption.layout);
            }
        }

        const auto [freshInk, freshBackground] = paintedColours(form_.get(), control("Text11"));
        const auto [staleInk, staleBackground] = paintedColours(form_.get(), control("Text12"));
        QCOMPARE(staleBackground, freshBackground);
        QVERIFY2(contrast(freshInk, freshBackground) >= 7, qPrintable(freshInk.name()));
        QVERIFY2(contrast(staleInk, staleBackground) >= 4.5, qPrintable(staleInk.name()));
        QVERIFY2(contrast(staleInk, staleBackground) < contrast(freshInk, freshBackground) - 2,
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

    void resultBoxes_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : RESULTS)
            QTest::newRow(qPrintable(name)) << name;
    }

    void resultBoxes()
    {
        QFETCH(QString, name);
        fill(INPUTS, WORKED_EXAMPLE);
        control<QPushButton>("Command1")->click();
        QLineEdit* result = box(name);
        const QString shown = result->text();
        QVERIFY(!shown.isEmpty());
        QVERIFY(result->isReadOnly());
        QCOMPARE(result->focusPolicy(), Qt::StrongFocus);
        QVERIFY(result->palette().color(QPalette::Base) != box("Text1")->palette().color(QPalette::Base));

        result->setFocus();
        QTest::keyClicks(result, "9x");
        QTest::keyClick(result, Qt::Key_Backspace);
        QCOMPARE(result->text(), shown);

        QApplication::clipboard()->clear();
        QTest::keyClick(result, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(result->selectedText(), shown);
        QTest::keyClick(result, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), shown);
    }

    void inputsTakeAnyText()
    {
        // No length limit, no filter: the analysis decides what a text means.
        const QString longText(100000, QLatin1Char('7'));
        for (const QString& name : INPUTS) {
            QLineEdit* input = box(name);
            QCOMPARE(input->validator(), nullptr);
            input->insert(longText);
            QCOMPARE(input->text().size(), longText.size());
            input->clear();
            QTest::keyClicks(input, QStringLiteral("-1.5e2"));
            QTest::sendKeyEvent(QTest::Click, input, Qt::Key_unknown, QStringLiteral("元"), Qt::NoModifier);
            QTest::keyClicks(input, QStringLiteral(" &H"));
            QCOMPARE(input->text(), QStringLiteral("-1.5e2元 &H"));
        }
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accessibleName");
        QTest::addColumn<QString>("captionLabel");
        QTest::newRow("Text1") << "Text1"
                               << "交易本金（元）"
                               << "Label1";
        QTest::newRow("Text2") << "Text2"
                               << "保证金比例（%）"
                               << "Label3";
        // Prices have no unit label.
        QTest::newRow("Text3") << "Text3"
                               << "进场价位"
                               << "Label5";
        QTest::newRow("Text4") << "Text4"
                               << "出场价位"
                               << "Label6";
        QTest::newRow("Text5") << "Text5"
                               << "开仓手数（手）"
                               << "Label7";
        QTest::newRow("Text6") << "Text6"
                               << "拟持仓时间（天）"
                               << "Label9";
        QTest::newRow("Text7") << "Text7"
                               << "最大可开仓（手）"
                               << "Label12";
        QTest::newRow("Text8") << "Text8"
                               << "盈亏额（元）"
                               << "Label14";
        QTest::newRow("Text9") << "Text9"
                               << "手续费（元）"
                               << "Label16";
        QTest::newRow("Text10") << "Text10"
                                << "持仓费（元）"
                                << "Label18";
        QTest::newRow("Text11") << "Text11"
                                << "做多盈亏平衡点"
                                << "Label20";
        QTest::newRow("Text12") << "Text12"
                                << "进场时点风险率（%）"
                                << "Label21";
        QTest::newRow("Text13") << "Text13"
                                << "做空盈亏平衡点"
                                << "Label26";
    }

    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, accessibleName);
        QFETCH(QString, captionLabel);
        QCOMPARE(box(name)->accessibleName(), accessibleName);
        QCOMPARE(control<QLabel>(captionLabel)->buddy(), box(name));
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
            // ...and drawn in a box taller than its own, no ink falls below it.
            CaptionLabel tall(label->text());
            tall.setFont(label->font());
            tall.resize(box.width(), box.height() + 40);
            QImage ink(tall.size(), QImage::Format_ARGB32_Premultiplied);
            ink.fill(Qt::transparent);
            tall.render(&ink, QPoint(), QRegion(), QWidget::DrawChildren);
            int lowest = -1;
            for (int y = 0; y < ink.height(); ++y)
                for (int x = 0; x < ink.width(); ++x)
                    if (qAlpha(ink.pixel(x, y)) != 0)
                        lowest = y;
            QVERIFY2(lowest >= 0, qPrintable(what));
            QVERIFY2(lowest < box.height(), qPrintable(what + QStringLiteral(" ink to row %1").arg(lowest)));
            if (label->objectName() == QStringLiteral("Label27"))
                QVERIFY2(lowest > box.height() / 2, "the note wraps onto a second line");
        }
    }

    void chineseContextMenu()
    {
        const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFileInfo::exists(translations + "/qtbase_zh_CN.qm"))
            QSKIP("qt6-translations-l10n is not installed");
        const std::unique_ptr<QMenu> menu(box("Text7")->createStandardContextMenu());
        QStringList actions;
        for (const QAction* action : menu->actions())
            actions << action->text();
        QVERIFY2(actions.join(' ').contains(QStringLiteral("复制")), qPrintable(actions.join(' ')));
        // A second form does not install the translation again.
        const qsizetype before = QCoreApplication::instance()->findChildren<QTranslator*>().size();
        Quanvik second;
        QCOMPARE(QCoreApplication::instance()->findChildren<QTranslator*>().size(), before);
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

QTEST_MAIN(FormTest)
#include "form_test.moc"
