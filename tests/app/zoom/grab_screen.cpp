// grab-screen OUT.png [X Y WIDTH HEIGHT]: a picture of the X server's screen, or of a
// rectangle of it, as the screen shows it (pixels as they are, nothing scaled).
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2 && args.size() != 6) {
        std::fprintf(stderr, "usage: grab-screen OUT.png [X Y WIDTH HEIGHT]\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "grab-screen: no screen\n");
        return 1;
    }
    QPixmap grab = args.size() == 6 ? screen->grabWindow(0, args[2].toInt(), args[3].toInt(),
                                                         args[4].toInt(), args[5].toInt())
                                    : screen->grabWindow(0);
    if (grab.isNull() || !grab.toImage().save(args[1])) {
        std::fprintf(stderr, "grab-screen: cannot grab or save %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
