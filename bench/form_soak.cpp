// A long session at the window, as a trader would have it: presses of 分析
// alternating between a fault (1e999 typed into the holding days, the message
// closed with Escape) and a good run (3 typed back), the resident size
// printed every few hundred presses. Usage: quanvik_soak [presses] [every]
// [faults|good|alternate]; runs on whatever QT_QPA_PLATFORM says (offscreen
// when unset).
#include "quanvik_form.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <string>

namespace {

const QStringList INPUTS {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"};
const QStringList WORKED_EXAMPLE {"950", "10", "50", "51", "2", "3"};

// VmRSS from /proc; 0 where there is none.
long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// Types `text` over what the box holds, as a user selecting it all would.
void retype(QLineEdit* box, const QString& text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

// Presses 分析 and closes the message, if one comes, with Escape.
bool press(QPushButton* button)
{
    bool faulted = false;
    QTimer::singleShot(0, button, [&faulted] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            faulted = true;
            // Drawn first, as a user sees it: painting is what fills caches.
            if (QTest::qWaitForWindowExposed(modal))
                modal->repaint();
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    QTest::mouseClick(button, Qt::LeftButton);
    return faulted;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication app(argc, argv);
    const int presses = argc > 1 ? std::stoi(argv[1]) : 3000;
    const int every = argc > 2 ? std::stoi(argv[2]) : 250;
    const std::string mode = argc > 3 ? argv[3] : "alternate";

    Quanvik form;
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowExposed(&form))
        std::fprintf(stderr, "soak: the window was never shown\n");
    for (qsizetype i = 0; i < INPUTS.size(); ++i)
        form.findChild<QLineEdit*>(INPUTS[i])->setText(WORKED_EXAMPLE[i]);
    auto* days = form.findChild<QLineEdit*>(QStringLiteral("Text6"));
    auto* button = form.findChild<QPushButton*>(QStringLiteral("Command1"));

    std::printf("presses  resident KB  faults\n");
    int faults = 0;
    for (int i = 0; i <= presses; ++i) {
        if (i % every == 0) {
            std::printf("%7d  %11ld  %6d\n", i, residentKilobytes(), faults);
            std::fflush(stdout);
        }
        if (i == presses)
            break;
        const bool fault = mode == "faults" || (mode == "alternate" && i % 2 == 0);
        if (mode != "faults" || i == 0)
            retype(days, fault ? QStringLiteral("1e999") : QStringLiteral("3"));
        faults += press(button) ? 1 : 0;
        QCoreApplication::processEvents();
    }
    const bool expected = mode == "good" ? faults == 0
        : mode == "faults"               ? faults == presses
                                         : faults == (presses + 1) / 2;
    if (!expected) {
        std::fprintf(
            stderr, "soak: %d faults in %d presses, not what %s asks\n", faults, presses, mode.c_str());
        return 1;
    }
    return 0;
}
