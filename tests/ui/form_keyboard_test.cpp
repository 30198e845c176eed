// The form driven from the keyboard: the tab chain, typing, Enter, and what
// result boxes let a user do.
#include "form_fixture.h"

#include <QClipboard>
#include <QKeySequence>

class FormKeyboardTest : public FormFixture {
    Q_OBJECT

private slots:
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

    // A box entered by Tab selects its figure one turn later, after Qt has
    // told assistive technology of the focus; a key typed in between keeps
    // what it did and nothing is selected over it.
    void selectedAfterFocus_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("between"); // a key pressed at once, or 0
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        const int tab = Qt::Key_Tab;
        QTest::newRow("Tab into an input") << "Text1" << tab << "Text2" << 0 << "10" << "10";
        QTest::newRow("Backtab into an input")
            << "Text3" << int(Qt::Key_Backtab) << "Text2" << 0 << "10" << "10";
        QTest::newRow("Tab into a result") << "Command1" << tab << "Text7" << 0 << "12" << "12";
        QTest::newRow("typed before") << "Text1" << tab << "Text2" << int(Qt::Key_5) << "105" << "";
        QTest::newRow("moved before") << "Command1" << tab << "Text7" << int(Qt::Key_End) << "12" << "";
    }

    void selectedAfterFocus()
    {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(QString, box);
        QFETCH(int, between);
        QFETCH(QString, text);
        QFETCH(QString, selected);
        fill(INPUTS, WORKED_EXAMPLE);
        control<QPushButton>("Command1")->click();
        control(from)->setFocus();
        QTest::keyClick(control(from), Qt::Key(key));
        QCOMPARE(QApplication::focusWidget(), control(box));
        if (between != 0)
            QTest::keyClick(control(box), Qt::Key(between));
        QCoreApplication::processEvents();
        QCOMPARE(this->box(box)->text(), text);
        QCOMPARE(this->box(box)->selectedText(), selected);
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
};

QTEST_MAIN(FormKeyboardTest)
#include "form_keyboard_test.moc"
