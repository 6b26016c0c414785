#pragma once
// A form's own notifications (shown, asked to close, going), as handlers that the form sets and
// that components sitting on the form may take over, keeping the form's to call from their own.
// Any top-level widget can have them: the events watch the form from a child object.

#include <QObject>
#include <QWidget>
#include <functional>

class TLxFormEvents : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QWidget& sender)>;
    using TCloseQueryEvent = std::function<void(QWidget& sender, bool& canClose)>;

    // The form's events, made as a child of the form on the first request. Components that take
    // them over ask for them when they are created, so that the events, made first, go first.
    static TLxFormEvents& Of(QWidget& form);
    // Runs OnDestroy: the events go with their form, after the destructor of the form's own
    // class, while its widget part is whole (geometry and state can still be read, the members
    // of the form's class cannot).
    ~TLxFormEvents() override;

    // Each time the form is shown (not when the desktop un-minimises it), before it appears.
    TNotifyEvent OnShow;
    // When the form is asked to close; clearing canClose, or raising, keeps it open. Forms refuse
    // to close here rather than in closeEvent, so that components see the answer.
    TCloseQueryEvent OnCloseQuery;
    // When the form goes (see the destructor).
    TNotifyEvent OnDestroy;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TLxFormEvents(QWidget& form);
    // Asks OnCloseQuery; false when the form must stay open.
    bool CanClose();

    QWidget& FForm;
};
