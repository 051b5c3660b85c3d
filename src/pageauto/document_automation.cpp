#include "pageauto/document_automation.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>

namespace {

// Reads the document in one go. Elements are listed as [type, name, id, title, value,
// checked] arrays; only those inside body count, as the page's form controls.
const char* const ReadScript = R"JS((function (withElements) {
  var r = { url: String(location.href), ready: String(document.readyState), title: String(document.title),
            inputs: [], buttons: [] };
  if (!withElements || !document.body) return r;
  function pick(list, out) {
    for (var i = 0; i < list.length; ++i) {
      var e = list[i];
      out.push([String(e.type || ''), String(e.getAttribute('name') || ''), String(e.id || ''),
                String(e.title || ''), String(e.value == null ? '' : e.value), !!e.checked]);
    }
  }
  pick(document.body.getElementsByTagName('input'), r.inputs);
  pick(document.body.getElementsByTagName('button'), r.buttons);
  return r;
}))JS";

QList<InputElement> elementsFrom(const QVariant& list)
{
    QList<InputElement> out;
    const QVariantList rows = list.toList();
    out.reserve(rows.size());
    for (const QVariant& row : rows) {
        const QVariantList f = row.toList();
        if (f.size() < 6)
            continue;
        out.append({f.at(0).toString(), f.at(1).toString(), f.at(2).toString(), f.at(3).toString(),
                    f.at(4).toString(), f.at(5).toBool()});
    }
    return out;
}

QString jsLiteral(const QVariant& value)
{
    const QByteArray json = QJsonDocument(QJsonArray{QJsonValue::fromVariant(value)}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json) + QStringLiteral("[0]");
}

} // namespace

DocumentAutomation::DocumentAutomation(int waitMs)
    : m_waitMs(waitMs)
{
}

bool DocumentAutomation::AttachToBrowserWindow(QWebEngineView* view)
{
    if (!view)
        return false;
    m_view = view;
    if (!view->page()->isLoading()) {
        const std::optional<QVariant> answer = runScript(QString::fromLatin1(ReadScript) + QStringLiteral("(false)"));
        if (answer) {
            const QVariantMap page = answer->toMap();
            // Right after a navigation starts the view still shows the old document while
            // its address is already the new one: that document is on its way out.
            const QString url = page.value(QStringLiteral("url")).toString();
            if (page.value(QStringLiteral("ready")).toString() == QStringLiteral("complete") && m_view
                && !m_view->page()->isLoading() && QUrl(url) == m_view->url())
                m_document = url;
        }
    }
    return m_document.has_value();
}

QWebEngineView* DocumentAutomation::browserView() const
{
    return m_view;
}

void DocumentAutomation::ReleaseDocument()
{
    m_document.reset();
}

QString DocumentAutomation::DocumentTitle()
{
    const std::optional<PageRead> page = readDocument(false);
    return page ? page->title : QString();
}

QString DocumentAutomation::InputBoxValue(const QString& identifier, int skipCount)
{
    const std::optional<PageRead> page = readDocument(true);
    if (!page)
        return {};
    const ElementRef ref = FindInputElement(page->elements, InputBoxTypes, identifier, skipCount);
    if (!ref.found())
        return {};
    const auto& list = ref.collection == ElementRef::Collection::Input ? page->elements.inputs : page->elements.buttons;
    return list.at(ref.index).value;
}

bool DocumentAutomation::SetInputBoxValue(const QString& identifier, const QString& value, int skipCount)
{
    const std::optional<PageRead> page = readDocument(true);
    if (!page)
        return false;
    const ElementRef ref = FindInputElement(page->elements, InputBoxTypes, identifier, skipCount);
    if (!ref.found())
        return false;
    const auto& list = ref.collection == ElementRef::Collection::Input ? page->elements.inputs : page->elements.buttons;
    return writeValue(ref, list.at(ref.index), value);
}

bool DocumentAutomation::IsCheckBoxChecked(const QString& identifier, int skipCount)
{
    const std::optional<PageRead> page = readDocument(true);
    if (!page)
        return false;
    const ElementRef ref = FindInputElement(page->elements, CheckBoxTypes, identifier, skipCount);
    if (!ref.found())
        return false;
    const auto& list = ref.collection == ElementRef::Collection::Input ? page->elements.inputs : page->elements.buttons;
    return list.at(ref.index).checked;
}

int DocumentAutomation::CheckBoxCount(bool mark)
{
    const std::optional<PageRead> page = readDocument(true);
    if (!page)
        return 0;
    QVariantList counted;
    for (int i = 0; i < page->elements.inputs.size(); ++i) {
        if (CheckBoxTypes.contains(page->elements.inputs.at(i).type))
            counted.append(i);
    }
    if (mark && !counted.isEmpty() && m_view) {
        // Same guard as a write: only the document that was counted gets the numbers.
        const QString script = QStringLiteral(
                                   "(function (url, indexes) {"
                                   "  if (String(location.href) !== url || document.readyState !== 'complete' ||"
                                   "      !document.body) return false;"
                                   "  var list = document.body.getElementsByTagName('input');"
                                   "  for (var k = 0; k < indexes.length; ++k) {"
                                   "    var e = list[indexes[k]];"
                                   "    if (e) e.insertAdjacentHTML('afterend', '<font color=red>[复' + (k + 1) + "
                                   "']</font>');"
                                   "  }"
                                   "  return true;"
                                   "})(")
            + jsLiteral(*m_document) + QStringLiteral(", ") + jsLiteral(counted) + QStringLiteral(")");
        runScript(script);
    }
    return int(counted.size());
}

bool DocumentAutomation::CheckBoxInfo(int position, QString* title, QString* name, QString* id, QString* type,
                                      InputElement* element)
{
    InputElement found;
    bool ok = false;
    if (const std::optional<PageRead> page = readDocument(true)) {
        const ElementRef ref = FindInputElement(page->elements, CheckBoxTypes, QString::number(position), 0);
        if (ref.found()) {
            const auto& list =
                ref.collection == ElementRef::Collection::Input ? page->elements.inputs : page->elements.buttons;
            found = list.at(ref.index);
            ok = true;
        }
    }
    if (title)
        *title = found.title;
    if (name)
        *name = found.name;
    if (id)
        *id = found.id;
    if (type)
        *type = found.type;
    if (element)
        *element = found;
    return ok;
}

std::optional<QVariant> DocumentAutomation::runScript(const QString& source) const
{
    if (!m_view)
        return std::nullopt;
    // The answer may come after the wait has given up, when this frame is gone: the
    // callback only touches what the shared state keeps alive.
    struct Pending
    {
        std::optional<QVariant> result;
        QEventLoop* loop = nullptr;
    };
    auto pending = std::make_shared<Pending>();
    QEventLoop loop;
    pending->loop = &loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    m_view->page()->runJavaScript(source, QWebEngineScript::ApplicationWorld, [pending](const QVariant& value) {
        pending->result = value;
        if (pending->loop)
            pending->loop->quit();
    });
    if (!pending->result && m_waitMs > 0) {
        timeout.start(m_waitMs);
        loop.exec(QEventLoop::AllEvents);
    }
    pending->loop = nullptr;
    return pending->result;
}

std::optional<DocumentAutomation::PageRead> DocumentAutomation::readDocument(bool withElements) const
{
    if (!m_document || !m_view || m_view->page()->isLoading())
        return std::nullopt;
    const std::optional<QVariant> answer =
        runScript(QString::fromLatin1(ReadScript) + (withElements ? QStringLiteral("(true)") : QStringLiteral("(false)")));
    if (!answer)
        return std::nullopt;
    const QVariantMap page = answer->toMap();
    if (!m_view || page.value(QStringLiteral("url")).toString() != *m_document
        || page.value(QStringLiteral("ready")).toString() != QStringLiteral("complete")
        || QUrl(*m_document) != m_view->url())
        return std::nullopt;
    PageRead read;
    read.title = page.value(QStringLiteral("title")).toString();
    read.elements.inputs = elementsFrom(page.value(QStringLiteral("inputs")));
    read.elements.buttons = elementsFrom(page.value(QStringLiteral("buttons")));
    return read;
}

bool DocumentAutomation::writeValue(const ElementRef& ref, const InputElement& expected, const QString& value) const
{
    if (!m_document)
        return false;
    // The page may have changed since it was read: write only into the same element of
    // the same loaded document.
    const QString script =
        QStringLiteral("(function (url, tag, index, type, name, id, value) {"
                       "  if (String(location.href) !== url || document.readyState !== 'complete' || !document.body)"
                       "    return false;"
                       "  var e = document.body.getElementsByTagName(tag)[index];"
                       "  if (!e || String(e.type || '') !== type || String(e.getAttribute('name') || '') !== name ||"
                       "      String(e.id || '') !== id) return false;"
                       "  e.value = value;"
                       "  return true;"
                       "})(")
        + jsLiteral(*m_document) + QStringLiteral(", ")
        + jsLiteral(ref.collection == ElementRef::Collection::Input ? QStringLiteral("input") : QStringLiteral("button"))
        + QStringLiteral(", ") + QString::number(ref.index) + QStringLiteral(", ") + jsLiteral(expected.type)
        + QStringLiteral(", ") + jsLiteral(expected.name) + QStringLiteral(", ") + jsLiteral(expected.id)
        + QStringLiteral(", ") + jsLiteral(value) + QStringLiteral(")");
    const std::optional<QVariant> answer = runScript(script);
    return answer && answer->toBool();
}
