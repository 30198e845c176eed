// What assistive technology and a Chinese user read: accessible names tied
// to their captions, and the translated context menu.
#include "form_fixture.h"

#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QTranslator>

#include <memory>

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
        QCOMPARE(box(name)->accessibleName(), accessibleName);
        QCOMPARE(control<QLabel>(captionLabel)->buddy(), box(name));
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
