#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class Clock;

// Without leading and trailing ASCII spaces and ideographic spaces (U+3000);
// tabs and line breaks stay.
QString TrimSpaces(const QString& text);

// The text after the first start marker up to the first end marker after it, both
// found without regard to case; empty when either is missing. "#引号" in a marker
// stands for a double quote.
QString TextBetween(const QString& text, const QString& startMarker, const QString& endMarker);

// Occurrences of separator, case-insensitive, each search starting one character
// after the previous match (so matches may overlap). 0 for empty text or separator.
int CountSeparators(const QString& text, const QString& separator);

// Pieces of a comma-joined ID list: empty inner pieces are kept, a trailing comma
// gives no empty last piece, an empty text gives no pieces.
QStringList SplitListingIds(const QString& text);

// The leading decimal integer of a text (after blanks, with an optional sign), 0 when
// there is none; clamped to the int range.
int NumberFromText(const QString& text);

// 2015年3月5日: the day key of the stored counts, without leading zeros.
QString DateText(const QDate& date);
QString TodayDateText(const Clock& clock);

// "1时2分5秒": hours, minutes and seconds without leading zeros.
QString HmsText(qint64 hours, qint64 minutes, qint64 seconds);
