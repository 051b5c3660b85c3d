#include "engine/listing_refresher.h"

#include "common/app_state.h"
#include "common/gbk.h"
#include "common/message_presenter.h"
#include "common/portal_hosts.h"
#include "common/text_helpers.h"
#include "engine/engine_view.h"
#include "http/http_request.h"
#include "plans/plan_store.h"

QString RefreshUrl(const QString& agentHost, const QString& agentId, const QString& listingId)
{
    QString url = QStringLiteral("http://") + agentHost
        + QStringLiteral("/Magent/House/HouseListAction.aspx?businesstype=cs&page=1&pagesize=20&flag=1"
                         "&agentid=[agent]&mendianID=0&action=refhouse&houseid=[id]"
                         "&pageurl=%2fmagent%2fhouse%2fhouselist.aspx%3fbusinesstype%3dcs%26page%3d1"
                         "%26pagesize%3d20%26flag%3d1");
    url.replace(QStringLiteral("[agent]"), agentId);
    url.replace(QStringLiteral("[id]"), listingId);
    return url;
}

ListingRefresher::ListingRefresher(AppState& state, HttpClient& http, PlanStore& store, EngineView& view,
    MessagePresenter& messages, const PortalHosts& hosts)
    : m_state(state)
    , m_http(http)
    , m_store(store)
    , m_view(view)
    , m_messages(messages)
    , m_hosts(hosts)
{ }

QString ListingRefresher::RefreshListing(const QString& listingId)
{
    HttpOptions options;
    options.timeoutSeconds = m_timeoutSeconds;
    const QString answer
        = FromGbk(HttpRequest(m_http, RefreshUrl(m_hosts.AgentHost, m_state.AgentId, listingId), options));
    // Checked first: a page asking for a sign-in counts as not signed in whatever else it holds.
    if (answer.contains(QStringLiteral("请先登录"))) {
        m_messages.showMessage(QStringLiteral("您未登录账号"));
        m_state.RunFlag = 0;
        return QStringLiteral("未登录账号");
    }
    if (answer.contains(QStringLiteral("('刷新成功！")))
        return QStringLiteral("刷新成功");
    return TextBetween(answer, QStringLiteral("('"), QStringLiteral("'"));
}

void ListingRefresher::RecordRefreshSuccess(const QString& nick)
{
    m_store.IncrementDailyTotal();
    m_view.setStatusPanel(2, QStringLiteral("今日发布:") + QString::number(m_store.ReadDailyTotal()));
    const int today = m_store.IncrementPlanToday(nick);
    m_view.ShowPlanToday(nick, today);
}
