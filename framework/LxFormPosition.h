#pragma once
// Keeps a window's place between sessions: its normal bounds (normalGeometry: the bounds it has,
// or returns to, when neither minimised nor maximised) and its state, read from a configuration
// section when the form is first shown and written when the form may close, or else when it
// goes. The entries are the integers Left, Top, Width, Height and State (0 normal, 1 minimised,
// 2 maximised), written in that order.

#include "LxConfigFiles.h"
#include "LxFormEvents.h"

#include <QObject>
#include <QPointer>
#include <QString>

class TLXConfiguration;

class TLxFormPosition : public QObject {
    Q_OBJECT
public:
    // A component owned by the form whose place it keeps (a child of it). It does nothing by
    // itself until Loaded hooks it to the form's events.
    explicit TLxFormPosition(QWidget& owner);
    // Puts the form's own handlers back (unless the form's events are already gone).
    ~TLxFormPosition() override;

    // The configuration section; empty means the registry's default section.
    QString Section;
    // When false, the component neither reads nor writes the section.
    bool Enabled = true;
    // The registry whose file holds the place; the process-wide one when null.
    TLXConfiguration* Registry = nullptr;

    // Takes over the form's show, close-query and destroy handlers, keeping the form's own: the
    // place is restored before the form's show handler runs, and stored after its close-query
    // handler has let it close. The form calls this once it has set its own handlers (at the end
    // of its constructor), as when a component is read with the form's design. Does nothing when
    // the owner is no top-level window, or when already hooked.
    void Loaded();

    // Restores the stored place, at most once per form lifetime. A form being shown takes the
    // stored state; none stored (State missing or negative) leaves it as designed. A minimised
    // main form (or any form while the application has no main form) is placed normal and then
    // minimised by a posted request, so that the program starts minimised with the window
    // restored behind its taskbar entry, whether or not the bounds apply. The bounds apply only
    // when they are not empty and lie wholly inside the union of all screens (no clamping). A
    // State other than 0, 1 or 2 counts as normal. A hidden form takes the bounds, then the state.
    // Raises what the configuration raises (an unsupported schema, say).
    void LoadPosition();
    // Stores the normal bounds and the state, at most once per form lifetime (the first call
    // counts even when disabled). A minimised window stores 1 with the bounds it will return to;
    // a maximised one 2; anything else (full screen too) 0. Each window minimises on its own on
    // the desktop, so its own state is the one stored, whatever the main form's. The file is
    // written when this was its last handle.
    // Raises what the configuration raises (a configuration folder that cannot be made, say).
    void SavePosition();

private:
    void DoShow(QWidget& sender);
    void DoCloseQuery(QWidget& sender, bool& canClose);
    void DoDestroy(QWidget& sender);
    bool OwnerIsForm() const;
    // A handle on Section, or on the registry's default section when Section is empty.
    ILxConfigSectionPtr OpenSection() const;

    QWidget& FOwner;
    QPointer<TLxFormEvents> FEvents;
    bool FHooked = false;
    bool FPositionLoaded = false;
    bool FPositionSaved = false;
    TLxFormEvents::TNotifyEvent FOldOnShow;
    TLxFormEvents::TCloseQueryEvent FOldOnCloseQuery;
    TLxFormEvents::TNotifyEvent FOldOnDestroy;
};
