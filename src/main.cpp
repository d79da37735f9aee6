#include "app/Main.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // The embedded browsers need shared OpenGL contexts, which must be asked for before the
    // application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return ProgramMain(argc, argv);
}
