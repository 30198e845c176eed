#pragma once

#include <QColor>
#include <QLabel>

// A label that wraps its caption with compact line spacing: one em from
// baseline to baseline, as the dialog font the layout was drawn for had. With
// the font's own line spacing, which QLabel keeps, the two-line note would not
// fit its box; a caption on one line is QLabel's own. Captions sit at the top
// of their box.
class CaptionLabel : public QLabel {
    Q_OBJECT

public:
    explicit CaptionLabel(const QString& caption, QWidget* parent = nullptr);

    // A colour of the layout's own, shown exactly on a light background and
    // lightened in its hue where the theme's background is dark.
    void setLayoutColour(const QColor& colour);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyColour();

    QColor layoutColour_; // invalid: the theme's own text colour
    bool adjusting_ = false;
};
