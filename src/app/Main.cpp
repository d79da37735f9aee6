#include "app/Main.h"

#include <QApplication>

int ProgramMain(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return 0;
}
