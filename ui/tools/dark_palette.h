#pragma once

#include <QColor>
#include <QPalette>

// The colours a dark desktop theme gives (Adwaita dark through the GTK
// platform theme), for drawing and testing the form without that theme.
inline QPalette darkPalette()
{
    const QColor window(0x32, 0x32, 0x32);
    const QColor text(0xf0, 0xf0, 0xf0);
    QPalette dark(text, window, window.lighter(), window.darker(), window, text, text,
        QColor(0x24, 0x24, 0x24), window);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(0x82, 0x82, 0x82));
    dark.setColor(QPalette::Highlight, QColor(0x30, 0x8c, 0xc6));
    return dark;
}
