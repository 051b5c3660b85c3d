#pragma once

#include <QSet>
#include <QString>

// The served time nodes (FiredNodeLog): one key per node served, made of the day
// text, the plan name and the node. Kept as a set so a lookup stays cheap all day;
// keys of earlier days can never match again and are dropped when a new day begins.
class FiredNodeSet
{
public:
    bool contains(const QString& key) const;
    // dayText is the key's day prefix; a day other than the current one starts afresh.
    void add(const QString& dayText, const QString& key);
    // The log as text: each key preceded by CR LF.
    QString text() const;
    qsizetype size() const { return m_keys.size(); }

private:
    QString m_day;
    QSet<QString> m_keys;
    QStringList m_order;
};
