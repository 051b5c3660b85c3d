#pragma once

#include <QString>
#include <optional>

struct AppState;
struct PortalHosts;
class EngineView;
class HttpClient;
class MessagePresenter;
class PlanStore;

// The refresh request of one listing on agentHost ("host" or "host:port"): the agent ID
// and the listing ID are put in as they are, without encoding or trimming.
QString RefreshUrl(const QString& agentHost, const QString& agentId, const QString& listingId);

// Sends the portal's refresh request for one listing and does the bookkeeping of a success.
class ListingRefresher
{
public:
    ListingRefresher(AppState& state, HttpClient& http, PlanStore& store, EngineView& view, MessagePresenter& messages,
        const PortalHosts& hosts);
    virtual ~ListingRefresher() = default;

    // "刷新成功", "未登录账号" or the portal's message (possibly empty).
    virtual QString RefreshListing(const QString& listingId);
    virtual void RecordRefreshSuccess(const QString& nick);

    // The program waits the request's default 60 seconds; tests of a slow portal shorten it.
    void setRequestTimeout(int seconds)
    {
        m_timeoutSeconds = seconds;
    }

private:
    AppState& m_state;
    HttpClient& m_http;
    PlanStore& m_store;
    EngineView& m_view;
    MessagePresenter& m_messages;
    const PortalHosts& m_hosts;
    std::optional<int> m_timeoutSeconds;
};
