#pragma once

#include <QString>

// The portal hosts of a deliverable, each "host" or "host:port".
struct PortalHosts
{
    QString AgentHost;
    QString LegacyAgentHost;
    QString PublicAgentHost;
};
