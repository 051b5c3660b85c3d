#include "common/fired_node_set.h"

bool FiredNodeSet::contains(const QString& key) const
{
    return m_keys.contains(key);
}

void FiredNodeSet::add(const QString& dayText, const QString& key)
{
    if (dayText != m_day) {
        m_day = dayText;
        m_keys.clear();
        m_order.clear();
    }
    if (!m_keys.contains(key)) {
        m_keys.insert(key);
        m_order.append(key);
    }
}

QString FiredNodeSet::text() const
{
    QString out;
    for (const QString& key : m_order)
        out += QStringLiteral("\r\n") + key;
    return out;
}
