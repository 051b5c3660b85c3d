// Entry point of the browser module that PortalAccess loads at the first opening.
#include "portal/browser_session.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT BrowserSession* tavrel_create_browser_session(BrowserHost& host)
{
    return CreateBrowserSession(host);
}
