#include "Icon.h"

#include "IcoReader.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include <atomic>

void TIcon::Draw(QPainter& canvas, const QRect& rect) {
    if (!Empty())
        DrawStretched(canvas, rect, FDib.Image);
}

void TIcon::LoadFromBytes(const QByteArray& data) {
    SetDib(ReadIco(data, ScreenDepth()));
}

void TIcon::LoadFrameFromBytes(const QByteArray& data) {
    SetDib(ReadIco(data, ScreenDepth(), true));
}

void TIcon::Assign(TGraphic& source) {
    auto* icon = qobject_cast<TIcon*>(&source);
    if (!icon) {
        TGraphic::Assign(source); // raises EConvertError
        return;
    }
    SetDib(icon->FDib);
}

void TIcon::SetDib(const TDib& dib) {
    FDib = dib;
    emit Changed();
}

int ScreenDepth() {
    // Screens belong to the UI thread: a worker uses the depth the UI thread last saw.
    static std::atomic<int> lastSeen{32};
    const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application && QThread::currentThread() == application->thread())
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            lastSeen = screen->depth();
    return lastSeen;
}
