#include "LxFormPosition.h"

#include "AppShell.h"
#include "LxConfiguration.h"

#include <QGuiApplication>
#include <QScreen>
#include <utility>

namespace {
constexpr Qt::WindowStates Placements =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

Qt::WindowState StateOf(qint32 stored) {
    if (stored == 1)
        return Qt::WindowMinimized;
    if (stored == 2)
        return Qt::WindowMaximized;
    return Qt::WindowNoState;
}

qint32 StoredState(const QWidget& form) {
    if (form.isMinimized())
        return 1;
    return form.isMaximized() ? 2 : 0;
}

// The program's first window stands for the whole program; before there is one, any form does.
bool IsMainForm(const QWidget& form) {
    return !Application || !Application->MainForm || Application->MainForm == &form;
}

// True when the bounds are not empty and lie wholly inside the bounding rectangle of all
// screens. 64 bits: left + width must not wrap.
bool InsideScreens(qint64 left, qint64 top, qint64 width, qint64 height) {
    if (width <= 0 || height <= 0)
        return false;
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop = desktop.united(screen->geometry());
    return left >= desktop.left() && top >= desktop.top() &&
           left + width <= qint64(desktop.left()) + desktop.width() &&
           top + height <= qint64(desktop.top()) + desktop.height();
}

// Gives the form the normal bounds, then the state; Qt keeps the bounds as the normal geometry
// when the state leaves normal.
void ApplyPlacement(QWidget& form, const QRect& normal, Qt::WindowStates state) {
    form.setWindowState(form.windowState() & ~Placements);
    form.setGeometry(normal);
    form.setWindowState(state);
}

// The request runs once the show is over, as a person's click on minimise would.
void PostMinimise(QWidget& form) {
    QMetaObject::invokeMethod(
        &form, [&form] { Guarded([&form] { form.showMinimized(); }); }, Qt::QueuedConnection);
}

void Restore(QWidget& form, const ILxConfigSectionPtr& section) {
    const bool shown = form.isVisible();
    Qt::WindowStates state = form.windowState();
    if (shown) {
        const qint32 stored = section->ReadInteger(QStringLiteral("State"), -1);
        if (stored < 0)
            return;
        state = (state & ~Placements) | StateOf(stored);
        if (state.testFlag(Qt::WindowMinimized) && IsMainForm(form)) {
            state &= ~Qt::WindowMinimized;
            PostMinimise(form);
        }
    }
    const qint32 left = section->ReadInteger(QStringLiteral("Left"), 0);
    const qint32 top = section->ReadInteger(QStringLiteral("Top"), 0);
    const qint32 width = section->ReadInteger(QStringLiteral("Width"), 0);
    const qint32 height = section->ReadInteger(QStringLiteral("Height"), 0);
    if (!InsideScreens(left, top, width, height))
        return;
    ApplyPlacement(form, QRect(left, top, width, height), state);
    if (!shown)
        form.setWindowState((form.windowState() & ~Placements) |
                            StateOf(section->ReadInteger(QStringLiteral("State"), 0)));
}
} // namespace

// The events are asked for before the component joins the form's children, so that they are
// made first and go first: the form's going reaches DoDestroy while the component is alive.
TLxFormPosition::TLxFormPosition(QWidget& owner)
    : FOwner(owner), FEvents(&TLxFormEvents::Of(owner)) {
    setParent(&owner);
}

TLxFormPosition::~TLxFormPosition() {
    if (!FHooked || !FEvents)
        return;
    FEvents->OnShow = std::move(FOldOnShow);
    FEvents->OnCloseQuery = std::move(FOldOnCloseQuery);
    FEvents->OnDestroy = std::move(FOldOnDestroy);
}

void TLxFormPosition::Loaded() {
    if (FHooked || !OwnerIsForm())
        return;
    FOldOnShow = std::exchange(FEvents->OnShow, [this](QWidget& sender) { DoShow(sender); });
    FOldOnCloseQuery =
        std::exchange(FEvents->OnCloseQuery,
                      [this](QWidget& sender, bool& canClose) { DoCloseQuery(sender, canClose); });
    FOldOnDestroy =
        std::exchange(FEvents->OnDestroy, [this](QWidget& sender) { DoDestroy(sender); });
    FHooked = true;
}

void TLxFormPosition::DoShow(QWidget& sender) {
    if (Enabled)
        Guarded([this] { LoadPosition(); });
    if (FOldOnShow)
        FOldOnShow(sender);
}

void TLxFormPosition::DoCloseQuery(QWidget& sender, bool& canClose) {
    if (FOldOnCloseQuery)
        FOldOnCloseQuery(sender, canClose);
    if (canClose && Enabled && OwnerIsForm())
        Guarded([this] { SavePosition(); });
}

void TLxFormPosition::DoDestroy(QWidget& sender) {
    if (Enabled && !FPositionSaved)
        Guarded([this] { SavePosition(); });
    if (FOldOnDestroy)
        FOldOnDestroy(sender);
}

void TLxFormPosition::LoadPosition() {
    if (FPositionLoaded || !Enabled)
        return;
    FPositionLoaded = true;
    if (!OwnerIsForm())
        return;
    ILxConfigSectionPtr section = OpenSection();
    Restore(FOwner, section);
    section.Release();
}

void TLxFormPosition::SavePosition() {
    if (FPositionSaved)
        return;
    FPositionSaved = true;
    if (!Enabled || !OwnerIsForm())
        return;
    const QRect bounds = FOwner.normalGeometry();
    ILxConfigSectionPtr section = OpenSection();
    section->WriteInteger(QStringLiteral("Left"), bounds.x());
    section->WriteInteger(QStringLiteral("Top"), bounds.y());
    section->WriteInteger(QStringLiteral("Width"), bounds.width());
    section->WriteInteger(QStringLiteral("Height"), bounds.height());
    section->WriteInteger(QStringLiteral("State"), StoredState(FOwner));
    section.Release();
}

bool TLxFormPosition::OwnerIsForm() const {
    return FOwner.isWindow();
}

ILxConfigSectionPtr TLxFormPosition::OpenSection() const {
    TLXConfiguration& registry = Registry ? *Registry : Configuration();
    return Section.isEmpty() ? registry.GetDefaultSection() : registry.GetSection(Section);
}
