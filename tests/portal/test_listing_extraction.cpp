#include "portal/listing_extraction.h"

#include <QTest>

namespace {

// "101+ 102- all:on-": value with + for ticked, - for not; a name before ":" (default
// selectitem).
QList<ListingCheckBox> boxes(const QString& spec)
{
    QList<ListingCheckBox> out;
    for (const QString& token : spec.split(u' ', Qt::SkipEmptyParts)) {
        ListingCheckBox box;
        box.checked = token.endsWith(u'+');
        QString body = token.chopped(1);
        const qsizetype colon = body.indexOf(u':');
        box.name = colon < 0 ? ListingCheckBoxName : body.left(colon);
        box.value = colon < 0 ? body : body.mid(colon + 1);
        out.append(box);
    }
    return out;
}

} // namespace

class ListingExtractionTest : public QObject
{
    Q_OBJECT

private slots:
    void extraction_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("after");

        // clang-format off
        QTest::newRow("first page, header box of another name") << "" << "all:on- 101+ 102- 103+" << "101,103,";
        QTest::newRow("untick removes with its comma") << "101,103," << "all:on- 101+ 102- 103-" << "101,";
        QTest::newRow("tick adds at the end") << "101," << "101+ 102+ 103-" << "101,102,";
        QTest::newRow("other page keeps the first page's IDs") << "101,102," << "201+ 202-" << "101,102,201,";
        QTest::newRow("100 is not 1001") << "1001," << "100+" << "1001,100,";
        QTest::newRow("unticking 100 leaves 1001") << "1001,100," << "100-" << "1001,";
        QTest::newRow("unticking 1001 leaves 100") << "100,1001," << "1001-" << "100,";
        QTest::newRow("removal from the middle") << "1,2,3," << "2-" << "1,3,";
        QTest::newRow("value already collected") << "101," << "101+" << "101,";
        QTest::newRow("same value twice on a page") << "" << "101+ 101+" << "101,";
        QTest::newRow("ticked box of another name adds nothing") << "" << "other:55+" << "";
        QTest::newRow("unticked box of any name removes") << "55," << "other:55-" << "";
        QTest::newRow("empty value is no listing") << "101," << "+ -" << "101,";
        QTest::newRow("comparison keeps case") << "ab," << "AB-" << "ab,";
        QTest::newRow("page without boxes") << "7,8," << "" << "7,8,";
        QTest::newRow("later untick wins within a page") << "" << "5+ 5-" << "";
        // clang-format on
    }

    void extraction()
    {
        QFETCH(QString, before);
        QFETCH(QString, page);
        QFETCH(QString, after);
        QCOMPARE(ApplyExtraction(before, boxes(page)), after);
    }

    void status_data()
    {
        QTest::addColumn<QString>("collected");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << "" << "本次累积选择 0 条";
        QTest::newRow("two") << "101,103," << "本次累积选择 2 条";
    }

    void status()
    {
        QFETCH(QString, collected);
        QFETCH(QString, text);
        QCOMPARE(ExtractionStatusText(collected), text);
    }
};

QTEST_GUILESS_MAIN(ListingExtractionTest)
#include "test_listing_extraction.moc"
