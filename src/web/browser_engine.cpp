#include "web/browser_engine.h"

#include <QCoreApplication>

#include <unistd.h>

namespace {

constexpr char DisableSandbox[] = "QTWEBENGINE_DISABLE_SANDBOX";

} // namespace

void PrepareBrowserEngine()
{
    // The browsers share OpenGL contexts, which can only be asked for before the application
    // object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Chromium refuses to run its sandbox for root and ends the whole process instead, on the
    // first page, taking along whatever was typed in the other windows. Root (the usual user
    // in a container) therefore runs the engine without it; a value the user set is kept.
    if ((getuid() == 0 || geteuid() == 0) && !qEnvironmentVariableIsSet(DisableSandbox))
        qputenv(DisableSandbox, "1");
}
