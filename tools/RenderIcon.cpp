// Draws an SVG icon as a square PNG of one size, for the icon theme's fixed-size folders.
//   render-icon IN.svg SIZE OUT.png

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: render-icon IN.svg SIZE OUT.png\n";
        return 2;
    }
    // Runs in the build, where there may be no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    const int size = std::atoi(argv[2]);
    QSvgRenderer svg{QString(argv[1])};
    if (!svg.isValid() || size < 8 || size > 1024) {
        std::cerr << "render-icon: cannot draw " << argv[1] << " at " << argv[2] << " pixels\n";
        return 1;
    }
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
    painter.end();
    if (!icon.save(argv[3], "PNG")) {
        std::cerr << "render-icon: cannot write " << argv[3] << '\n';
        return 1;
    }
    return 0;
}
