#include "form_setup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace quanvik {
namespace {

// 12-pixel glyphs are what the layout's boxes were measured for.
constexpr int FONT_PIXEL_SIZE = 12;

// Named so that a second form in the same application finds it installed.
constexpr const char* TRANSLATOR_NAME = "quanvik_qtbase_zh_CN";

} // namespace

QFont formFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei Mono"), QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
        QStringLiteral("Droid Sans Fallback"), QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(FONT_PIXEL_SIZE);
    return font;
}

void installChineseTranslation()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr
        || app->findChild<QTranslator*>(QLatin1String(TRANSLATOR_NAME), Qt::FindDirectChildrenOnly)
            != nullptr)
        return;
    auto* translator = new QTranslator(app);
    translator->setObjectName(QLatin1String(TRANSLATOR_NAME));
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

} // namespace quanvik
