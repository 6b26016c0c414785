#include "LxFormEvents.h"

#include "AppShell.h"

#include <QEvent>

TLxFormEvents::TLxFormEvents(QWidget& form) : QObject(&form), FForm(form) {
    form.installEventFilter(this);
}

TLxFormEvents& TLxFormEvents::Of(QWidget& form) {
    if (auto* events = form.findChild<TLxFormEvents*>(QString(), Qt::FindDirectChildrenOnly))
        return *events;
    return *new TLxFormEvents(form);
}

TLxFormEvents::~TLxFormEvents() {
    if (OnDestroy)
        Guarded([this] { OnDestroy(FForm); });
}

// Installed on the form only: every event seen is the form's.
bool TLxFormEvents::eventFilter(QObject* /*watched*/, QEvent* event) {
    bool refused = false;
    Guarded([&] {
        if (event->type() == QEvent::Show && !event->spontaneous() && OnShow)
            OnShow(FForm);
        else if (event->type() == QEvent::Close && !CanClose()) {
            event->ignore();
            refused = true;
        }
    });
    return refused;
}

bool TLxFormEvents::CanClose() {
    bool canClose = true;
    bool answered = false;
    Guarded([&] {
        if (OnCloseQuery)
            OnCloseQuery(FForm, canClose);
        answered = true;
    });
    return answered && canClose;
}
