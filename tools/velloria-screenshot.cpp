// velloria-screenshot FILE.png: writes what the current X screen shows to a PNG file, so that a
// person can see a program that runs on a virtual display.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velloria-screenshot FILE.png\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "velloria-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
