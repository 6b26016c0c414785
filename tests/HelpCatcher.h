#pragma once
// Stands in for the user's browser: catches the local pages the program asks the desktop to
// open, for as long as it lives.

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

class THelpCatcher : public QObject {
    Q_OBJECT
public:
    THelpCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~THelpCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    QList<QUrl> Urls;

public slots:
    void Open(const QUrl& url) { Urls.append(url); }
};
