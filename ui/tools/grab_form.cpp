// Draws the form offscreen with the worked example analysed and saves it as a
// PNG: grab_form <output.png>. Run with QT_QPA_PLATFORM=offscreen.
#include "quanvik_form.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
        return 2;
    }
    Quanvik form;
    form.show();

    const char* const example[][2] = {
        {"Text1", "950"}, {"Text2", "10"}, {"Text3", "50"}, {"Text4", "51"}, {"Text5", "2"}, {"Text6", "3"}};
    for (const auto& [name, text] : example)
        form.findChild<QLineEdit*>(QString::fromUtf8(name))->setText(QString::fromUtf8(text));
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    QApplication::processEvents();

    if (!form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
