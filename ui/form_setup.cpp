#include "form_setup.h"

#include "readable_colour.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

namespace quanvik {
namespace {

// 12-pixel glyphs are what the layout's boxes were measured for.
constexpr int FONT_PIXEL_SIZE = 12;

// Named so that a second form in the same application finds it installed.
constexpr const char* TRANSLATOR_NAME = "quanvik_qtbase_zh_CN";

// Windows has no WenQuanYi Micro Hei, so its packages carry the font here,
// relative to the program's folder.
constexpr const char* BUNDLED_FONT = "fonts/wqy-microhei.ttc";

constexpr QRgb WINDOWS_DEFAULT_ACCENT = 0x0078D4;
// The roles Qt fills from the accent; Qt before 6.6 has no Accent role.
constexpr QPalette::ColorRole ACCENT_ROLES[] = {
    QPalette::Highlight,
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    QPalette::Accent,
#endif
};

// Once per process, and only where the system lacks the face: an installed
// copy always wins over the one beside the program.
void loadBundledFont()
{
    static bool tried = false;
    if (tried)
        return;
    tried = true;
    if (QFontDatabase::hasFamily(QStringLiteral("WenQuanYi Micro Hei Mono")))
        return;
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(BUNDLED_FONT));
    if (QFileInfo::exists(path))
        QFontDatabase::addApplicationFont(path);
}

} // namespace

QFont formFont()
{
    loadBundledFont();
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei Mono"), QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
        QStringLiteral("Droid Sans Fallback"), QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(FONT_PIXEL_SIZE);
    return font;
}

bool fillMissingAccent(QPalette& palette)
{
    QColor accent(WINDOWS_DEFAULT_ACCENT);
    if (!isDarkBackground(palette.color(QPalette::Active, QPalette::Window)))
        accent = accent.darker(120);
    bool filled = false;
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        for (const auto role : ACCENT_ROLES) {
            if (!palette.color(group, role).isValid()) {
                palette.setColor(group, role, accent);
                filled = true;
            }
        }
    }
    return filled;
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
