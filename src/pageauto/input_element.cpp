#include "pageauto/input_element.h"

#include "common/text_helpers.h"

namespace {

// Walks one collection; returns true when an element was chosen. counter and skipCount
// carry on from one collection to the next.
bool walk(const QList<InputElement>& elements, const QString& typeList, const QString& identifier, int wanted,
          int& skipCount, int& counter, int& chosen)
{
    for (int i = 0; i < elements.size(); ++i) {
        const InputElement& e = elements.at(i);
        if (!typeList.contains(e.type))
            continue;
        ++counter;
        const QString* attributes[] = {&e.name, &e.id, &e.title};
        bool matchedAttribute = false;
        for (const QString* attribute : attributes) {
            if (*attribute == identifier) {
                matchedAttribute = true;
                break;
            }
        }
        if (matchedAttribute) {
            if (skipCount > 0) {
                --skipCount;
                continue;
            }
            chosen = i;
            return true;
        }
        if (counter == wanted) {
            chosen = i;
            return true;
        }
    }
    return false;
}

} // namespace

ElementRef FindInputElement(const InputSnapshot& snapshot, const QString& typeList, const QString& identifier,
                            int skipCount, int* counter)
{
    const int wanted = NumberFromText(identifier);
    int count = 0;
    int chosen = -1;
    ElementRef result;
    if (walk(snapshot.inputs, typeList, identifier, wanted, skipCount, count, chosen)) {
        result = {ElementRef::Collection::Input, chosen};
    } else if (typeList.contains(QStringLiteral("button"))
               && walk(snapshot.buttons, typeList, identifier, wanted, skipCount, count, chosen)) {
        result = {ElementRef::Collection::Button, chosen};
    } else {
        count = -1;
    }
    if (counter)
        *counter = count;
    return result;
}
