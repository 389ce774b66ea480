#include "app/WindowCatalog.h"

#include "moon/frmMain.h"
#include "reports/frmPrintfish.h"
#include "screens/frmBestfish.h"
#include "screens/frmLogs.h"
#include "screens/frmPicture.h"
#include "search/frmSearch.h"
#include "shell/WindowRegistry.h"
#include "shell/frmAbout.h"
#include "shell/frmCredit.h"
#include "shell/frmDbutility.h"
#include "shell/frmRegister.h"
#include "shell/frmStart.h"
#include "shell/frmUpdate.h"
#include "shell/frmUtilities.h"

namespace tf {

void registerWindows()
{
    WindowRegistry::define<frmStart>();
    WindowRegistry::define<frmRegister>();
    WindowRegistry::define<frmAbout>();
    WindowRegistry::define<frmUpdate>();
    WindowRegistry::define<frmCredit>();
    WindowRegistry::define<frmUtilities>();
    WindowRegistry::define<frmDbutility>();
    WindowRegistry::define<frmLogs>();
    WindowRegistry::define<frmPicture>();
    WindowRegistry::define<frmBestfish>();
    WindowRegistry::define<frmSearch>();
    WindowRegistry::define<frmPrintfish>();
    WindowRegistry::define<frmMain>();
}

} // namespace tf
