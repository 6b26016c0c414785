#pragma once
// Watches for message boxes while it lives: records what each box showed when it appeared, then
// lets Answer act on it from inside the box's own modal loop.

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <functional>

struct TSeenBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon;
    // The captions of its buttons, sorted.
    QStringList Buttons;
    int HelpContext;
};

class TMessageBoxWatcher : public QObject {
public:
    TMessageBoxWatcher() { qApp->installEventFilter(this); }
    ~TMessageBoxWatcher() override { qApp->removeEventFilter(this); }

    QList<TSeenBox> Seen;
    // Runs once for every box shown, after the box's loop started.
    std::function<void(QMessageBox&)> Answer;

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (event->type() != QEvent::Show || !box)
            return false;
        QStringList buttons;
        for (QAbstractButton* button : box->buttons())
            buttons.append(button->text());
        std::sort(buttons.begin(), buttons.end());
        Seen.append({box->windowTitle(), box->text(), box->icon(), buttons,
                     box->property("HelpContext").toInt()});
        QMetaObject::invokeMethod(
            this,
            [this, shown = QPointer<QMessageBox>(box)] {
                if (shown && Answer)
                    Answer(*shown);
            },
            Qt::QueuedConnection);
        return false;
    }
};

// Clicks the box's button with that caption (the first one when several have it).
inline void Press(QMessageBox& box, const QString& caption) {
    for (QAbstractButton* button : box.buttons())
        if (button->text() == caption) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
}
