#pragma once

#include "position_analysis.h"

#include <QWidget>

#include <array>
#include <bitset>
#include <vector>

class QLabel;
class QLineEdit;
class QMessageBox;
class AnalysisNotice;
class ResultBox;

namespace quanvik {
class AnalysisError;
}

// The calculator window: six inputs, the Analyze button and seven results at
// fixed positions. It only wires: the analysis reads and writes its text
// boxes through FieldAccess, and a fault is reported in a message box.
class Quanvik : public QWidget, public quanvik::FieldAccess {
    Q_OBJECT

public:
    explicit Quanvik(QWidget* parent = nullptr);

    std::string readText(quanvik::FieldId field) const override;
    void writeText(quanvik::FieldId field, const std::string& text) override;

private:
    std::vector<QWidget*> buildControls();
    void bindFields(const std::vector<QWidget*>& controls);
    void analyze();
    void reportFault(const quanvik::AnalysisError& error, bool staleShown);
    QLineEdit* box(quanvik::FieldId field) const;

    std::array<QLineEdit*, 13> boxes_ {};
    std::array<QLabel*, 13> captions_ {}; // names the inputs in a fault report
    std::bitset<13> written_;             // by the current run
    // One for the window's life: a box made per fault leaves its fresh button
    // icon in Qt's pixmap cache when drawn, 1 to 2 KB a fault.
    QMessageBox* message_ = nullptr;
    AnalysisNotice* notice_ = nullptr; // tells a screen reader a run finished
};
