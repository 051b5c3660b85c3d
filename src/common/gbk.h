#pragma once

#include <QByteArray>
#include <QString>

// GBK (code page 936) is the encoding of pz.ini and of the portal's pages.
QByteArray ToGbk(const QString& text);
QString FromGbk(const QByteArray& bytes);
// Length of the text in GBK bytes (the unit of the stored limits).
qsizetype GbkByteLength(const QString& text);
