#include "form_accessibility.h"
#include "form_setup.h"
#include "quanvik_form.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quanvik"));
    QApplication::setApplicationVersion(QStringLiteral(QUANVIK_VERSION));
    // Lets Wayland compositors and docks match the window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUANVIK_APP_ID));
    QPalette palette = QApplication::palette();
    if (quanvik::fillMissingAccent(palette))
        QApplication::setPalette(palette);

    quanvik::installFormAccessibility();
    Quanvik form;
    form.show();
    return QApplication::exec();
}
