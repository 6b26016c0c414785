#include "LXControls.h"

#include "AppShell.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

TLxLinkLabel::TLxLinkLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    // Only the underline is the label's own; family and size still come from the form.
    QFont underlined;
    underlined.setUnderline(true);
    setFont(underlined);
    SetLinkColor(Qt::blue);
}

void TLxLinkLabel::SetLinkColor(const QColor& color) {
    FLinkColor = color;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, color);
    setPalette(colours);
}

void TLxLinkLabel::mousePressEvent(QMouseEvent* event) {
    Guarded([&] {
        if (event->button() != Qt::LeftButton) {
            QLabel::mousePressEvent(event);
            return;
        }
        event->accept();
        // What the desktop answers is not checked: a target nothing opens stays quiet.
        QDesktopServices::openUrl(QUrl::fromUserInput(FLinkTo));
    });
}
