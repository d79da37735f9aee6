#include "app/Main.h"
#include "web/browser_engine.h"

int main(int argc, char *argv[])
{
    // The embedded browsers read their settings when the application object is made.
    PrepareBrowserEngine();
    return ProgramMain(argc, argv);
}
