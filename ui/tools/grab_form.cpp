// Draws the form offscreen and saves it as a PNG:
//   grab_form [--dark] <output.png> [six inputs]...
// Each group of six inputs (principal, margin ratio, entry, exit, lots, days)
// is typed in and analysed in turn; without any, the worked example. A fault
// message is saved beside it as <output>-message.png and answered. --dark
// draws with the palette of a dark desktop theme. Run with
// QT_QPA_PLATFORM=offscreen.
#include "quanvik_form.h"
#include "tools/dark_palette.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

constexpr int INPUT_COUNT = 6;

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--dark") == 0) {
        QApplication::setPalette(darkPalette());
        ++first;
    }
    const int inputs = argc - first - 1;
    if (inputs < 0 || inputs % INPUT_COUNT != 0) {
        std::fprintf(stderr, "usage: %s [--dark] <output.png> [six inputs]...\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[first]);
    QStringList texts;
    for (int i = first + 1; i < argc; ++i)
        texts << QString::fromLocal8Bit(argv[i]);
    if (texts.isEmpty())
        texts = QStringList {"950", "10", "50", "51", "2", "3"};

    Quanvik form;
    form.show();
    for (qsizetype run = 0; run < texts.size(); run += INPUT_COUNT) {
        for (int i = 0; i < INPUT_COUNT; ++i)
            form.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(i + 1))->setText(texts[run + i]);
        QTimer::singleShot(0, &form, [&output] {
            if (auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                QString path = output;
                message->grab().save(
                    path.replace(QStringLiteral(".png"), QStringLiteral("-message.png")), "PNG");
                message->buttons().first()->click();
            }
        });
        form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    }
    QApplication::processEvents();

    if (!form.grab().save(output, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
