#pragma once
// One program per user session: two windows on one account would each save their settings over
// the other's. The first start owns a name on the session bus and serves Open there; a later
// start on the same bus hands its folder to it and ends. Without a session bus every start runs
// on its own, as there is nobody to ask.

#include <QObject>
#include <QString>

#include <functional>

class TSingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.ornwick.Velloria")
public:
    // The bus name and object path the running program serves.
    static const QString ServiceName;
    static const QString ObjectPath;

    // Open calls open with the folder it was given (empty: no folder, only come forward).
    explicit TSingleInstance(std::function<void(const QString&)> open);

    // Takes the session's name. True when this start is the session's program from now on, or
    // when there is no session bus (or it does not answer); false when another program of the
    // session holds the name.
    bool Claim();
    // Asks the program that holds the name to open the folder and come forward; false, with the
    // bus's reason in error, when it does not answer.
    static bool HandOver(const QString& folder, QString& error);

public slots:
    // Served on the bus: opens the folder in the running window and brings it forward.
    void Open(const QString& folder);

private:
    std::function<void(const QString&)> FOpen;
};
