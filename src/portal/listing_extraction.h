#pragma once

#include <QList>
#include <QString>

// One check box of a listing page as "提取勾选" sees it.
struct ListingCheckBox
{
    QString name;
    QString value;
    bool checked = false;
};

// The name of the check boxes that stand for listing rows; their value is the listing ID.
inline const QString ListingCheckBoxName = QStringLiteral("selectitem");

// The collected IDs after one extraction over a page's check boxes, in document order:
// each ticked listing box adds its ID once (with its trailing ","), every unticked box
// takes its ID out again. Items compare as whole texts, so 1001 and 100 stay apart.
QString ApplyExtraction(const QString& collectedIdText, const QList<ListingCheckBox>& boxes);

// "本次累积选择 N 条" for the IDs collected so far.
QString ExtractionStatusText(const QString& collectedIdText);
