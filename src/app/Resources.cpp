#include "app/Resources.h"

#include <QtCore/qglobal.h>
#include <QDir>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitCompiledResources()
{
    Q_INIT_RESOURCE(icons);
    Q_INIT_RESOURCE(seed);
}

namespace gessoria::app {

void InitResources()
{
    static const bool done = (InitCompiledResources(), true);
    (void)done;
}

} // namespace gessoria::app
