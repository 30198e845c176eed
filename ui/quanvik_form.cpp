#include "quanvik_form.h"

#include "analysis_error.h"
#include "caption_label.h"
#include "figure_box.h"
#include "form_accessibility.h"
#include "form_layout.h"
#include "form_setup.h"
#include "position_analysis.h"
#include "result_box.h"

#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <limits>
#include <span>
#include <utility>
#include <vector>

using quanvik::AnalysisError;
using quanvik::ControlKind;
using quanvik::FaultKind;
using quanvik::FieldId;
using quanvik::toPixels;

namespace {

constexpr int LINE_THICKNESS = 2; // a sunken separator: one dark, one light row

constexpr const char* FORM_ICON = ":/quanvik/form.ico"; // icons/form.ico, built in by qt_add_resources

// Never a default button (Enter in a text box must not run the analysis),
// but Enter on the focused button presses it, as on every desktop.
class AnalyzeButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && !event->isAutoRepeat() && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

QString faultName(FaultKind kind)
{
    switch (kind) {
    case FaultKind::DivisionByZero:
        return QStringLiteral("除数为零");
    case FaultKind::Overflow:
        return QStringLiteral("溢出");
    case FaultKind::InvalidOperation:
        return QStringLiteral("无效运算");
    }
    return {};
}

// Long enough for any figure a trader types, short enough for one line.
constexpr qsizetype MAX_QUOTED_LENGTH = 12;

// An input as the message quotes it: control characters would break the line.
QString quoted(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    if (shown.size() > MAX_QUOTED_LENGTH) {
        qsizetype kept = MAX_QUOTED_LENGTH - 1;
        if (shown.at(kept - 1).isHighSurrogate())
            --kept;
        shown = shown.left(kept) + QChar(0x2026);
    }
    for (QChar& character : shown)
        if (character.category() == QChar::Other_Control)
            character = QLatin1Char(' ');
    return QStringLiteral("「%1」").arg(shown);
}

// How an input the fault depends on was read, where the engine finds it a
// likely culprit: it read as zero, held more than its number, or could not be
// read. Empty otherwise.
QString readingOf(const QString& caption, const quanvik::InputReading& input)
{
    if (input.overflow)
        return caption + quoted(input.text) + QStringLiteral("超出数值范围");
    if (!input.isSuspect())
        return {};
    return (input.text.empty() ? caption + QStringLiteral("：") : caption + quoted(input.text))
        + QStringLiteral("读作 ") + QString::fromStdString(input.valueText);
}

constexpr int RESULT_COUNT = 7; // Text7 to Text13: a run that ends writes them all

bool isResult(FieldId field)
{
    return field >= FieldId::Text7;
}

std::size_t indexOf(FieldId field)
{
    return static_cast<std::size_t>(field);
}

} // namespace

Quanvik::Quanvik(QWidget* parent)
    : QWidget(parent,
          Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    quanvik::installChineseTranslation();
    setObjectName(QStringLiteral("Quanvik"));
    setWindowTitle(QStringLiteral("Quanvik"));
    setWindowIcon(QIcon(QString::fromLatin1(FORM_ICON)));
    setFont(quanvik::formFont());
    setFixedSize(toPixels(quanvik::CLIENT_WIDTH_TWIPS), toPixels(quanvik::CLIENT_HEIGHT_TWIPS));
    bindFields(buildControls());
    notice_ = new AnalysisNotice(this);
    box(FieldId::Text1)->setFocus();
}

std::vector<QWidget*> Quanvik::buildControls()
{
    const std::span<const quanvik::ControlRow> layout = quanvik::formLayout();
    std::vector<bool> resultRows(layout.size());
    for (const quanvik::FieldBinding& binding : quanvik::fieldBindings())
        resultRows[binding.textBox] = isResult(binding.field);
    std::vector<QWidget*> controls; // by row of the layout
    std::vector<std::pair<int, QWidget*>> focusChain;
    std::vector<QWidget*> stackedAbove;
    for (const quanvik::ControlRow& entry : layout) {
        const QString caption = QString::fromUtf8(entry.caption);
        QRect rect(toPixels(entry.left), toPixels(entry.top), toPixels(entry.width), toPixels(entry.height));
        QWidget* control = nullptr;
        switch (entry.kind) {
        case ControlKind::Label: {
            auto* label = new CaptionLabel(caption, this);
            if (entry.colour != quanvik::SYSTEM_COLOUR)
                label->setLayoutColour(QColor::fromRgb(entry.colour));
            control = label;
            break;
        }
        case ControlKind::TextBox: {
            // Only the analysis writes results; they stay selectable and copyable.
            if (resultRows[controls.size()]) {
                control = new ResultBox(this);
                break;
            }
            auto* edit = new FigureBox(this);
            edit->setMaxLength(std::numeric_limits<int>::max());
            control = edit;
            break;
        }
        case ControlKind::PushButton: {
            auto* button = new AnalyzeButton(caption, this);
            button->setAutoDefault(false);
            button->setDefault(false);
            connect(button, &QPushButton::clicked, this, &Quanvik::analyze);
            control = button;
            break;
        }
        case ControlKind::Line: {
            auto* line = new QFrame(this);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            rect.setHeight(LINE_THICKNESS);
            control = line;
            break;
        }
        }
        control->setObjectName(QString::fromUtf8(entry.name));
        control->setGeometry(rect);
        controls.push_back(control);
        if (entry.kind == ControlKind::TextBox || entry.kind == ControlKind::PushButton) {
            focusChain.emplace_back(entry.tabIndex, control);
            stackedAbove.push_back(control);
        }
    }

    // Label20 reaches into Text11; the box must cover it, not the reverse.
    for (QWidget* control : stackedAbove)
        control->raise();

    std::ranges::sort(focusChain, {}, &std::pair<int, QWidget*>::first);
    for (std::size_t i = 1; i < focusChain.size(); ++i)
        setTabOrder(focusChain[i - 1].second, focusChain[i].second);
    return controls;
}

void Quanvik::bindFields(const std::vector<QWidget*>& controls)
{
    for (const quanvik::FieldBinding& binding : quanvik::fieldBindings()) {
        auto* edit = static_cast<QLineEdit*>(controls[binding.textBox]);
        auto* caption = static_cast<QLabel*>(controls[binding.captionLabel]);
        boxes_[indexOf(binding.field)] = edit;
        captions_[indexOf(binding.field)] = caption;
        // No buddy: a reader would speak the caption label, without the unit.

        QString name = caption->text();
        if (binding.unitLabel != quanvik::NO_ROW) {
            const auto* unit = static_cast<QLabel*>(controls[binding.unitLabel]);
            name += QStringLiteral("（%1）").arg(unit->text());
        }
        edit->setAccessibleName(name);
    }
}

std::string Quanvik::readText(FieldId field) const
{
    return box(field)->text().toStdString();
}

void Quanvik::writeText(FieldId field, const std::string& text)
{
    QLineEdit* edit = box(field);
    edit->setText(QString::fromStdString(text));
    // Show the start of a text too long for its box, not its end.
    edit->setCursorPosition(0);
    written_.set(indexOf(field));
    if (isResult(field))
        static_cast<ResultBox*>(edit)->setStale(false);
}

QLineEdit* Quanvik::box(FieldId field) const
{
    return boxes_[indexOf(field)];
}

void Quanvik::analyze()
{
    written_.reset();
    try {
        quanvik::PositionAnalysis().run(*this);
        notice_->announce(QStringLiteral("分析完成，%1 项结果已更新。").arg(RESULT_COUNT));
    } catch (const AnalysisError& error) {
        // What the run did not reach still shows an earlier analysis.
        bool staleShown = false;
        for (std::size_t i = indexOf(FieldId::Text7); i < boxes_.size(); ++i) {
            if (!written_.test(i) && !boxes_[i]->text().isEmpty()) {
                static_cast<ResultBox*>(boxes_[i])->setStale(true);
                staleShown = true;
            }
        }
        reportFault(error, staleShown);
    }
}

void Quanvik::reportFault(const AnalysisError& error, bool staleShown)
{
    QStringList inputs;
    QStringList readings;
    for (const quanvik::InputReading& input : quanvik::diagnose(error, *this)) {
        const QString caption = captions_[indexOf(input.field)]->text();
        inputs << caption;
        if (const QString reading = readingOf(caption, input); !reading.isEmpty())
            readings << reading;
    }

    // One plain text with a line break: an informative text would be wrapped to
    // the width of the short first line.
    QString text = QStringLiteral("分析未能完成：%1。").arg(faultName(error.kind()));
    if (!inputs.isEmpty())
        text += QStringLiteral("\n请检查这些输入：%1。").arg(inputs.join(QStringLiteral("、")));
    for (const QString& reading : readings)
        text += QLatin1Char('\n') + reading;
    if (staleShown)
        text += QStringLiteral("\n未更新的结果来自之前的分析，显示为灰色。");
    if (message_ == nullptr) {
        message_ = new QMessageBox(
            QMessageBox::Warning, QStringLiteral("Quanvik"), QString(), QMessageBox::Ok, this);
        message_->setTextFormat(Qt::PlainText);
        message_->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        message_->setFont(font());
    }
    message_->setText(text);
    message_->exec();
}
