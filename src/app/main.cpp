// gessoria: the desktop 3D texture painter.
#include "app/Application.h"

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
    // A --grab run paints its window off screen unless told otherwise, so it needs no display.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--grab") == 0)
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QApplication::setApplicationName("gessoria");
    QApplication::setDesktopFileName("gessoria");
    QString error;
    const auto options = gessoria::app::ParseLaunchOptions(QApplication::arguments(), error);
    if (!options) {
        std::cerr << error.toStdString() << '\n';
        return 2;
    }
    return gessoria::app::RunApplication(*options);
}
