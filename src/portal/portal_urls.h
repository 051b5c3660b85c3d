#pragma once

#include "common/portal_hosts.h"

#include <QString>

// The portal pages the login window opens or asks for.
inline QString PublicStartUrl(const PortalHosts& hosts)
{
    return QStringLiteral("http://") + hosts.PublicAgentHost + QStringLiteral("/");
}

inline QString LegacySaleListUrl(const PortalHosts& hosts)
{
    return QStringLiteral("http://") + hosts.LegacyAgentHost
        + QStringLiteral("/magent/house/houselist.aspx?businesstype=cs");
}

inline QString LegacyRentListUrl(const PortalHosts& hosts)
{
    return QStringLiteral("http://") + hosts.LegacyAgentHost
        + QStringLiteral("/magent/house/houselist.aspx?businesstype=cz");
}

inline QString AgentTopFrameUrl(const PortalHosts& hosts)
{
    return QStringLiteral("http://") + hosts.AgentHost + QStringLiteral("/magent/top.aspx");
}

// The plan editor's list pages, on the agent host itself.
inline QString AgentSaleListUrl(const PortalHosts& hosts)
{
    return QStringLiteral("http://") + hosts.AgentHost + QStringLiteral("/magent/house/houselist.aspx?businesstype=cs");
}

inline QString AgentRentListUrl(const PortalHosts& hosts)
{
    return QStringLiteral("http://") + hosts.AgentHost + QStringLiteral("/magent/house/houselist.aspx?businesstype=cz");
}
