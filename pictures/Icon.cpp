#include "Icon.h"

#include "IcoReader.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

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
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    return screen ? screen->depth() : 32;
}
