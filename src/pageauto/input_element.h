#pragma once

#include <QList>
#include <QString>

// What the program reads of one form element of the page: enough to find it again by
// name, id, title or position and to report its value and tick.
struct InputElement
{
    QString type;
    QString name;
    QString id;
    QString title;
    QString value;
    bool checked = false;

    bool operator==(const InputElement&) const = default;
};

// The page's "input" elements in document order, then its "button" elements, as one
// read of the document saw them.
struct InputSnapshot
{
    QList<InputElement> inputs;
    QList<InputElement> buttons;
};

// Where FindInputElement found its element; Collection::None when it found nothing.
struct ElementRef
{
    enum class Collection { None, Input, Button };
    Collection collection = Collection::None;
    int index = -1;

    bool found() const { return collection != Collection::None; }
    bool operator==(const ElementRef&) const = default;
};

// The element lookup of every form-control operation. Among the elements whose type
// occurs within typeList ("text|password|file"), the first whose name, id or title
// equals identifier (after skipping skipCount such matches), or else the one whose
// 1-based running number equals identifier read as a number. The "button" elements are
// searched too when typeList names "button". counter receives the last running number,
// -1 when nothing was found.
ElementRef FindInputElement(const InputSnapshot& snapshot, const QString& typeList, const QString& identifier,
                            int skipCount, int* counter = nullptr);

// The two type lists the program uses.
inline const QString InputBoxTypes = QStringLiteral("text|password|file");
inline const QString CheckBoxTypes = QStringLiteral("checkbox");
