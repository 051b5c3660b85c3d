#include "portal/listing_extraction.h"

#include "common/text_helpers.h"

namespace {

bool holds(const QString& collected, const QString& id)
{
    return SplitListingIds(collected).contains(id);
}

// Rebuilds the text without the items equal to id; every other item keeps its place
// and its comma.
QString without(const QString& collected, const QString& id)
{
    QString out;
    for (const QString& item : SplitListingIds(collected)) {
        if (item != id)
            out += item + u',';
    }
    return out;
}

} // namespace

QString ApplyExtraction(const QString& collectedIdText, const QList<ListingCheckBox>& boxes)
{
    QString collected = collectedIdText;
    for (const ListingCheckBox& box : boxes) {
        // An empty ID is no listing: it is neither added nor removed.
        if (box.value.isEmpty())
            continue;
        if (box.checked) {
            if (box.name == ListingCheckBoxName && !holds(collected, box.value))
                collected += box.value + u',';
        } else if (holds(collected, box.value)) {
            collected = without(collected, box.value);
        }
    }
    return collected;
}

QString ExtractionStatusText(const QString& collectedIdText)
{
    return QStringLiteral("本次累积选择 ") + QString::number(CountSeparators(collectedIdText, QStringLiteral(",")))
        + QStringLiteral(" 条");
}
