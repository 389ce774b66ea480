#include "app/WindowCatalog.h"

#include "moon/frmMain.h"
#include "reports/frmPrintfish.h"
#include "screens/frmBestfish.h"
#include "screens/frmCalendar.h"
#include "screens/frmContacts.h"
#include "screens/frmFish.h"
#include "screens/frmGear.h"
#include "screens/frmLogs.h"
#include "screens/frmMember.h"
#include "screens/frmNotebook.h"
#include "screens/frmOptions.h"
#include "screens/frmPatterns.h"
#include "screens/frmPicture.h"
#include "screens/frmReminders.h"
#include "search/frmSearch.h"
#include "shell/WindowRegistry.h"
#include "shell/frmAbout.h"
#include "shell/frmCredit.h"
#include "shell/frmDbutility.h"
#include "shell/frmRegister.h"
#include "shell/frmStart.h"
#include "shell/frmUpdate.h"
#include "shell/frmUtilities.h"
#include "stats/frmStatistics.h"

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
    WindowRegistry::define<frmFish>();
    WindowRegistry::define<frmNotebook>();
    WindowRegistry::define<frmPicture>();
    WindowRegistry::define<frmBestfish>();
    WindowRegistry::define<frmSearch>();
    WindowRegistry::define<frmPrintfish>();
    WindowRegistry::define<frmMain>();
    WindowRegistry::define<frmReminders>();
    WindowRegistry::define<frmCalendar>();
    WindowRegistry::define<frmPatterns>();
    WindowRegistry::define<frmContacts>();
    WindowRegistry::define<frmMember>();
    WindowRegistry::define<frmOptions>();
    WindowRegistry::define<frmGear>();
    WindowRegistry::define<frmStatistics>();
}

} // namespace tf
