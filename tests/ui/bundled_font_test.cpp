// On a system without WenQuanYi Micro Hei (Windows) the form must load the
// copy that the packages put in fonts/ beside the program. CMake runs this
// with a font configuration that hides every system font and with the font
// file copied beside the test program, as the packages lay it out.

#include "form_setup.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

class BundledFontTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Asked before formFont() can load anything.
        QVERIFY2(!QFontDatabase::hasFamily(QStringLiteral("WenQuanYi Micro Hei")),
            "the font configuration still shows the system's copy: this run would prove nothing");
    }

    void bundledFacesAreLoaded_data()
    {
        QTest::addColumn<QString>("family");
        QTest::newRow("mono, the one the layout was measured for")
            << QStringLiteral("WenQuanYi Micro Hei Mono");
        QTest::newRow("proportional, same collection") << QStringLiteral("WenQuanYi Micro Hei");
    }

    void bundledFacesAreLoaded()
    {
        QFETCH(QString, family);
        quanvik::formFont();
        QVERIFY(QFontDatabase::hasFamily(family));
    }

    void formFontResolvesToTheBundledFace_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("caption") << QStringLiteral("交易本金");
        QTest::newRow("button") << QStringLiteral("分析");
        QTest::newRow("note") << QStringLiteral("（元）：%");
        QTest::newRow("digits") << QStringLiteral("540.67");
    }

    void formFontResolvesToTheBundledFace()
    {
        QFETCH(QString, text);
        const QFont font = quanvik::formFont();
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("WenQuanYi Micro Hei Mono"));
        const QFontMetrics metrics(font);
        for (const QChar c : text)
            QVERIFY2(metrics.inFontUcs4(c.unicode()), qPrintable(QStringLiteral("no glyph for ") + c));
    }
};

QTEST_MAIN(BundledFontTest)
#include "bundled_font_test.moc"
