// A run that faults: the message, the inputs it names, and the results it
// leaves stale.
#include "form_fixture.h"

#include "result_box.h"

#include <QClipboard>

class FormFaultTest : public FormFixture {
    Q_OBJECT

    // Says by ear too which results are old: not only "the grey ones".
    static inline const QString STALE_LINE = QStringLiteral("未更新的结果来自之前的分析，显示为灰色。");

private slots:
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
        lines.removeAll(STALE_LINE);
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
        QCOMPARE(seen.text.contains(STALE_LINE), anyStale);
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

        // The window keeps one message box: after another fault's words,
        // this fault is reported again in its own.
        fill(INPUTS, {"950", "10", "50", "51", "2", "1E999"});
        QVERIFY(pressExpectingMessage().text != seen.text);
        fill(INPUTS, inputs);
        fill(RESULTS, QStringList(RESULTS.size(), before));
        QCOMPARE(pressExpectingMessage().text, seen.text);
    }
};

QTEST_MAIN(FormFaultTest)
#include "form_fault_test.moc"
