#include "shell/Resources.h"

#include <QtGlobal>

// The pictures are compiled into the GUI library, a static library: its
// resources must be registered by name before the first picture is read.
static void initAll()
{
    Q_INIT_RESOURCE(art);
}

void tf::initResources()
{
    initAll();
}
