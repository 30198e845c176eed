#pragma once

#include "form_accessibility.h"
#include "quanvik_form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <memory>

// What the message box showed; filled by a timer while exec() runs.
struct SeenMessage {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// What every form test starts from: a fresh form, shown and active, in the
// style a run asked for, and the ways a user reaches its controls.
class FormFixture : public QObject {
    Q_OBJECT

protected:
    // As main() does, before any form is shown.
    FormFixture() { quanvik::installFormAccessibility(); }

    static inline const QStringList INPUTS {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"};
    static inline const QStringList RESULTS {
        "Text7", "Text8", "Text9", "Text10", "Text11", "Text12", "Text13"};

    // Principal, margin ratio, entry, exit, lots, days.
    static inline const QStringList WORKED_EXAMPLE {"950", "10", "50", "51", "2", "3"};
    static inline const QStringList WORKED_RESULTS {"12", "26.676", "2.424", "0.9", "51", "540.67", "49"};

    std::unique_ptr<Quanvik> form_;

    template <typename T = QWidget> T* control(const QString& name) const
    {
        auto* found = form_->findChild<T*>(name);
        if (found == nullptr)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QLineEdit* box(const QString& name) const { return control<QLineEdit>(name); }

    void fill(const QStringList& names, const QStringList& texts)
    {
        for (qsizetype i = 0; i < names.size(); ++i)
            box(names[i])->setText(texts[i]);
    }
    QStringList texts(const QStringList& names) const
    {
        QStringList out;
        for (const QString& name : names)
            out << box(name)->text();
        return out;
    }

    // Clicks Command1 and answers the modal message, if one comes, from inside
    // its event loop; a box left open would hang the test.
    SeenMessage pressExpectingMessage()
    {
        SeenMessage seen;
        QTimer::singleShot(0, this, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            seen.shown = true;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            for (QAbstractButton* button : box->buttons())
                seen.buttons << button->text();
            box->buttons().first()->click();
        });
        control<QPushButton>("Command1")->click();
        return seen;
    }

private slots:
    void init()
    {
        form_ = std::make_unique<Quanvik>();
        form_->show();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }
    void cleanup() { form_.reset(); }

    // A run that asks for a style (-style) must get it, not Qt's silent fallback.
    void askedStyle()
    {
        const QString asked = qEnvironmentVariable("QUANVIK_EXPECT_STYLE");
        if (asked.isEmpty())
            QSKIP("no style asked for");
        QCOMPARE(QApplication::style()->name().toLower(), asked.toLower());
    }
};
