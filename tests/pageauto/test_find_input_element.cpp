#include "pageauto/input_element.h"

#include <QTest>

namespace {

InputElement input(const QString& type, const QString& name = {}, const QString& id = {}, const QString& title = {})
{
    return {type, name, id, title, {}, false};
}

InputSnapshot fixture(const QString& which)
{
    const QString text = QStringLiteral("text");
    const QString checkbox = QStringLiteral("checkbox");
    if (which == u"login")
        return {{input(QStringLiteral("hidden"), QStringLiteral("__VIEWSTATE")), input(text, QStringLiteral("user")),
                 input(checkbox, QStringLiteral("remember")), input(QStringLiteral("password"), QStringLiteral("pw"))},
                {}};
    if (which == u"named2")
        return {{input(text, QStringLiteral("2")), input(text, QStringLiteral("a")), input(text, QStringLiteral("b"))},
                {}};
    if (which == u"repeated")
        return {{input(text, QStringLiteral("user")), input(text, QStringLiteral("user")),
                 input(text, QStringLiteral("user"))},
                {}};
    if (which == u"attributes")
        return {{input(text, QStringLiteral("n1"), QStringLiteral("i1"), QStringLiteral("t1")),
                 input(text, QStringLiteral("n2"), QStringLiteral("i2"), QStringLiteral("t2")),
                 input(text, {}, {}, QStringLiteral("i2"))},
                {}};
    if (which == u"checkboxes")
        return {{input(checkbox, QStringLiteral("all")), input(text, QStringLiteral("q")),
                 input(checkbox, QStringLiteral("selectitem")), input(checkbox, QStringLiteral("selectitem"))},
                {}};
    if (which == u"numbered")
        // An earlier box whose name is a later box's number takes that number's place.
        return {{input(checkbox, QStringLiteral("3")), input(checkbox, QStringLiteral("x")),
                 input(checkbox, QStringLiteral("y"))},
                {}};
    if (which == u"buttons")
        return {{input(QStringLiteral("button"), QStringLiteral("b0")), input(text, QStringLiteral("q"))},
                {input(QStringLiteral("submit"), QStringLiteral("go")), input(QStringLiteral("button"))}};
    return {};
}

using C = ElementRef::Collection;

} // namespace

class FindInputElementTest : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("types");
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<int>("skip");
        QTest::addColumn<int>("collection");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("counter");

        const QString boxes = InputBoxTypes;
        const QString ticks = CheckBoxTypes;
        const int none = int(C::None), in = int(C::Input), btn = int(C::Button);
        // clang-format off
        QTest::newRow("first input box skips hidden") << "login" << boxes << "1" << 0 << in << 1 << 1;
        QTest::newRow("second input box skips check box") << "login" << boxes << "2" << 0 << in << 3 << 2;
        QTest::newRow("third input box is missing") << "login" << boxes << "3" << 0 << none << -1 << -1;
        QTest::newRow("first check box of login page") << "login" << ticks << "1" << 0 << in << 2 << 1;
        QTest::newRow("by name") << "login" << boxes << "pw" << 0 << in << 3 << 2;
        QTest::newRow("hidden field is never an input box") << "login" << boxes << "__VIEWSTATE" << 0 << none << -1 << -1;
        QTest::newRow("names compare case-sensitively") << "login" << boxes << "User" << 0 << none << -1 << -1;
        QTest::newRow("zero is no position") << "login" << boxes << "0" << 0 << none << -1 << -1;
        QTest::newRow("text that is no number") << "login" << boxes << "abc" << 0 << none << -1 << -1;
        QTest::newRow("box named 2 found first") << "named2" << boxes << "2" << 0 << in << 0 << 1;
        QTest::newRow("skipped name falls back to position") << "named2" << boxes << "2" << 1 << in << 1 << 2;
        QTest::newRow("skip none of three") << "repeated" << boxes << "user" << 0 << in << 0 << 1;
        QTest::newRow("skip one of three") << "repeated" << boxes << "user" << 1 << in << 1 << 2;
        QTest::newRow("skip two of three") << "repeated" << boxes << "user" << 2 << in << 2 << 3;
        QTest::newRow("skip all three") << "repeated" << boxes << "user" << 3 << none << -1 << -1;
        QTest::newRow("by id") << "attributes" << boxes << "i1" << 0 << in << 0 << 1;
        QTest::newRow("by title") << "attributes" << boxes << "t2" << 0 << in << 1 << 2;
        QTest::newRow("id of one before title of a later one") << "attributes" << boxes << "i2" << 0 << in << 1 << 2;
        QTest::newRow("check box position counts check boxes only") << "checkboxes" << ticks << "2" << 0 << in << 2 << 2;
        QTest::newRow("last check box") << "checkboxes" << ticks << "3" << 0 << in << 3 << 3;
        QTest::newRow("one past the last check box") << "checkboxes" << ticks << "4" << 0 << none << -1 << -1;
        QTest::newRow("earlier name wins over position") << "numbered" << ticks << "3" << 0 << in << 0 << 1;
        QTest::newRow("buttons searched when the list names button") << "buttons" << "button|submit" << "3" << 0 << btn << 1 << 3;
        QTest::newRow("button found by name") << "buttons" << "button|submit" << "go" << 0 << btn << 0 << 2;
        QTest::newRow("button input before button elements") << "buttons" << "button|submit" << "1" << 0 << in << 0 << 1;
        QTest::newRow("buttons left out otherwise") << "buttons" << "submit" << "go" << 0 << none << -1 << -1;
        QTest::newRow("empty page") << "empty" << boxes << "1" << 0 << none << -1 << -1;
        // clang-format on
    }

    void lookup()
    {
        QFETCH(QString, page);
        QFETCH(QString, types);
        QFETCH(QString, identifier);
        QFETCH(int, skip);
        QFETCH(int, collection);
        QFETCH(int, index);
        QFETCH(int, counter);

        int seen = 12345;
        const ElementRef ref = FindInputElement(fixture(page), types, identifier, skip, &seen);
        QCOMPARE(int(ref.collection), collection);
        QCOMPARE(ref.index, index);
        QCOMPARE(seen, counter);
    }
};

QTEST_GUILESS_MAIN(FindInputElementTest)
#include "test_find_input_element.moc"
