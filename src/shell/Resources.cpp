#include "shell/Resources.h"

#include <QtGlobal>

static void initAll()
{
    Q_INIT_RESOURCE(resources);
#ifdef TF_HAVE_ART
    Q_INIT_RESOURCE(art);
#endif
}

void tf::initResources() { initAll(); }
