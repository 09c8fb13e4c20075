// gessoria: the desktop 3D texture painter.
#include "app/Application.h"
#include "app/MemorySafeApplication.h"

#include <QApplication>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    // Past a file-size limit a write fails with EFBIG and the save says so, rather than the
    // signal ending the program with the work unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    // Answered before Qt starts, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "gessoria " GESSORIA_VERSION "\n";
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << gessoria::app::LaunchHelp().toStdString();
            return 0;
        }
    }
    // A --grab run paints its window off screen unless told otherwise, so it needs no display.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--grab") == 0)
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // An allocation failure in any command, stroke, open or save is caught where its event
    // is dispatched and reported, rather than ending the program with the work unsaved.
    gessoria::app::MemorySafeApplication application(argc, argv);
    QApplication::setApplicationName("gessoria");
    QApplication::setDesktopFileName("io.github.gessoria.Gessoria");
    QString error;
    const auto options = gessoria::app::ParseLaunchOptions(QApplication::arguments(), error);
    if (!options) {
        std::cerr << error.toStdString() << '\n';
        return 2;
    }
    return gessoria::app::RunApplication(*options);
}
