// What assistive technology and a Chinese user read: each box's name with its
// unit, its text whole through the text interface, the window and lines by
// their roles, the notice of a finished analysis, and the translated context
// menu.
#include "form_fixture.h"

#include "form_accessibility.h"

#include <QAccessible>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QTranslator>

#include <memory>

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// What a reader was told of a finished analysis, in order.
QStringList& told()
{
    static QStringList events;
    return events;
}

void recordNotice(QAccessibleEvent* event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (event->type() == QAccessible::Announcement) {
        const auto* announcement = static_cast<QAccessibleAnnouncementEvent*>(event);
        const bool polite = announcement->politeness() == QAccessible::AnnouncementPoliteness::Polite;
        told() << (polite ? QStringLiteral("polite") : QStringLiteral("assertive"))
                + QStringLiteral(" announcement: ") + announcement->message();
    }
#endif
    QAccessibleInterface* shown = event->accessibleInterface();
    if (event->type() == QAccessible::ObjectShow && shown != nullptr
        && shown->role() == QAccessible::Notification)
        told() << QStringLiteral("notification shown: ") + shown->text(QAccessible::Name);
}

} // namespace

class FormAccessTest : public FormFixture {
    Q_OBJECT

private slots:
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
        QCOMPARE(accessible(box(name))->text(QAccessible::Name), accessibleName);
        // Readers speak a labelling caption instead of the name, losing the unit.
        QCOMPARE(control<QLabel>(captionLabel)->buddy(), nullptr);
        QVERIFY(accessible(box(name))->relations(QAccessible::Label).isEmpty());
    }

    // Qt's own line edit answers each attribute query with an empty run at
    // the offset asked; Orca then spoke 49 as "4". Every box, input and
    // result, after the worked example.
    void wholeText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        for (qsizetype i = 0; i < INPUTS.size(); ++i)
            QTest::newRow(qPrintable(INPUTS[i])) << INPUTS[i] << WORKED_EXAMPLE[i];
        for (qsizetype i = 0; i < RESULTS.size(); ++i)
            QTest::newRow(qPrintable(RESULTS[i])) << RESULTS[i] << WORKED_RESULTS[i];
    }

    void wholeText()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        fill(INPUTS, WORKED_EXAMPLE);
        QVERIFY(!pressExpectingMessage().shown);
        QAccessibleTextInterface* textIface = accessible(box(name))->textInterface();
        QVERIFY(textIface != nullptr);
        const int count = textIface->characterCount();
        QCOMPARE(textIface->text(0, count), text);
        QCOMPARE(accessible(box(name))->text(QAccessible::Value), text);
        for (int offset = 0; offset <= count; ++offset) {
            int start = -1;
            int end = -1;
            textIface->attributes(offset, &start, &end);
            QCOMPARE(std::pair(start, end), std::pair(0, count));
            // A figure is one word, sentence and line, from wherever it is
            // asked; at its end Qt's own word search never returned.
            for (const auto boundary :
                {QAccessible::WordBoundary, QAccessible::SentenceBoundary, QAccessible::LineBoundary}) {
                QCOMPARE(textIface->textAtOffset(offset, boundary, &start, &end), text);
                QCOMPARE(std::pair(start, end), std::pair(0, count));
            }
            QCOMPARE(textIface->textAtOffset(offset, QAccessible::CharBoundary, &start, &end),
                text.mid(offset, 1));
        }
    }

    // Each character on the text line where the box's own cursor stands
    // before it, wherever the cursor is: a reader's highlight and a
    // magnifier point at the figure.
    void characterRects_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("cursor");
        QTest::newRow("input, cursor at the end") << "Text1" << 3;
        QTest::newRow("input, cursor inside") << "Text1" << 1;
        QTest::newRow("result, cursor at the start") << "Text8" << 0;
        QTest::newRow("result, cursor at the end") << "Text12" << 6;
    }

    void characterRects()
    {
        QFETCH(QString, name);
        QFETCH(int, cursor);
        fill(INPUTS, WORKED_EXAMPLE);
        QVERIFY(!pressExpectingMessage().shown);
        QLineEdit* edit = box(name);
        QAccessibleTextInterface* textIface = accessible(edit)->textInterface();
        for (int offset = 0; offset < textIface->characterCount(); ++offset) {
            edit->setCursorPosition(cursor);
            const QRect character = textIface->characterRect(offset).translated(-edit->mapToGlobal(QPoint()));
            edit->setCursorPosition(offset);
            const QRect before = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
            QCOMPARE(character.top(), before.top());
            QCOMPARE(character.bottom(), before.bottom());
            QVERIFY2(qAbs(character.left() - before.center().x()) <= 1,
                qPrintable(QStringLiteral("%1 starts at %2, the cursor before it at %3")
                        .arg(offset)
                        .arg(character.left())
                        .arg(before.center().x())));
            QVERIFY(character.width() > 0);
        }
    }

    // Announced as a window with its title; the lines as separators.
    void roles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("accessibleName");
        QTest::newRow("form") << "Quanvik" << QAccessible::Window << "Quanvik";
        QTest::newRow("Line1") << "Line1" << QAccessible::Separator << "";
        QTest::newRow("Line2") << "Line2" << QAccessible::Separator << "";
        QTest::newRow("Text1") << "Text1" << QAccessible::EditableText << "交易本金（元）";
    }

    void roles()
    {
        QFETCH(QString, name);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, accessibleName);
        QObject* object = name == form_->objectName() ? form_.get() : control(name);
        QCOMPARE(accessible(object)->role(), role);
        QCOMPARE(accessible(object)->text(QAccessible::Name), accessibleName);
    }

    // Each finished run, the same inputs again included, is told once: by an
    // announcement where Qt has one, else by showing the notification object;
    // a fault by its message alone.
    void finishedNotice_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("notices");
        QTest::newRow("worked example") << WORKED_EXAMPLE << 1 << 1;
        QTest::newRow("same inputs twice") << WORKED_EXAMPLE << 2 << 2;
        QTest::newRow("fault") << QStringList(6, QString()) << 2 << 0;
    }

    void finishedNotice()
    {
        QFETCH(QStringList, inputs);
        QFETCH(int, presses);
        QFETCH(int, notices);
        fill(INPUTS, inputs);
        told().clear();
        control<AnalysisNotice>("AnalysisNotice")->setDelivery(recordNotice);
        for (int i = 0; i < presses; ++i)
            pressExpectingMessage();
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        const QString how = QStringLiteral("polite announcement");
#else
        const QString how = QStringLiteral("notification shown");
#endif
        QCOMPARE(told(), QStringList(notices, how + QStringLiteral(": 分析完成，7 项结果已更新。")));
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
};

QTEST_MAIN(FormAccessTest)
#include "form_access_test.moc"
