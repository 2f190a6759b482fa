// The built-in loudspeaker catalogue: the lookups of power and sensitivity
// by designation, the model list and the type-code table beside it.

#include "catalogue/catalogue.h"

#include <QTest>
#include <set>

using namespace catalogue;

class CatalogueLookupTest : public QObject {
    Q_OBJECT
private slots:
    void modelValues_data();
    void modelValues();
    void noValue_data();
    void noValue();
    void listHoldsModelsThenOther();
    void typeCodes_data();
    void typeCodes();
    void codesAreCyrillic();
    void listTableAndLookupsAgree();
};

void CatalogueLookupTest::modelValues_data()
{
    QTest::addColumn<QString>("designation");
    QTest::addColumn<int>("power");
    QTest::addColumn<int>("sensitivity");

    // Every model with its rated power and sensitivity.
    QTest::newRow("KE-1") << "KE-1" << 6 << 88;
    QTest::newRow("KE-2") << "KE-2" << 6 << 88;
    QTest::newRow("KE-3") << "KE-3" << 30 << 87;
    QTest::newRow("GK-1") << "GK-1" << 6 << 88;
    QTest::newRow("GK-2") << "GK-2" << 10 << 93;
    QTest::newRow("GK-3") << "GK-3" << 40 << 88;
    QTest::newRow("RF-1") << "RF-1" << 20 << 103;
    QTest::newRow("RF-2") << "RF-2" << 30 << 103;
    QTest::newRow("RF-3") << "RF-3" << 30 << 105;
    QTest::newRow("RF-4") << "RF-4" << 50 << 108;
    QTest::newRow("RF-5") << "RF-5" << 30 << 90;
    QTest::newRow("RF-6") << "RF-6" << 50 << 104;
    QTest::newRow("LV-1") << "LV-1" << 10 << 93;
    QTest::newRow("LV-2") << "LV-2" << 20 << 96;
    QTest::newRow("LV-3") << "LV-3" << 30 << 98;
    QTest::newRow("LV-4") << "LV-4" << 40 << 99;
    QTest::newRow("LV-5") << "LV-5" << 10 << 93;
    QTest::newRow("LV-6") << "LV-6" << 20 << 96;
    QTest::newRow("LV-7") << "LV-7" << 30 << 98;
    QTest::newRow("LV-8") << "LV-8" << 40 << 99;
    QTest::newRow("GU-1") << "GU-1" << 30 << 90;
    QTest::newRow("GU-2") << "GU-2" << 50 << 90;
    QTest::newRow("GY-1") << "GY-1" << 15 << 88;
    QTest::newRow("GY-2") << "GY-2" << 25 << 88;
}

void CatalogueLookupTest::modelValues()
{
    QFETCH(QString, designation);
    QFETCH(int, power);
    QFETCH(int, sensitivity);

    const auto pv = pvG(designation);
    const auto pd = pdG(designation);
    QVERIFY(pv.has_value());
    QVERIFY(pd.has_value());
    QCOMPARE(int(*pv), power);
    QCOMPARE(int(*pd), sensitivity);
    // Written into the boxes as plain whole numbers.
    QCOMPARE(QString::number(*pv), QString::number(power));
}

void CatalogueLookupTest::noValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("the closing entry") << "ПРОЧИЕ";
    QTest::newRow("empty") << "";
    QTest::newRow("lower case") << "ke-1";
    QTest::newRow("mixed case") << "Rf-4";
    QTest::newRow("leading blank") << " KE-1";
    QTest::newRow("trailing blank") << "GY-2 ";
    QTest::newRow("no hyphen") << "KE1";
    QTest::newRow("Cyrillic look-alikes") << "КЕ-1"; // К and Е are Cyrillic
    QTest::newRow("letter l for digit 1") << "GK-l";
    QTest::newRow("en dash for hyphen") << QStringLiteral("LV\u20131");
    QTest::newRow("Cyrillic Р in RF") << QString(QChar(0x0420)) + "F-1";
    QTest::newRow("prefix of a designation") << "RF-";
    QTest::newRow("longer than a designation") << "RF-55";
    QTest::newRow("not in the list") << "RF-7";
    QTest::newRow("a type code") << "П";
    QTest::newRow("room type") << "ПАРК";
}

void CatalogueLookupTest::noValue()
{
    QFETCH(QString, text);
    QVERIFY(!pvG(text).has_value());
    QVERIFY(!pdG(text).has_value());
}

void CatalogueLookupTest::listHoldsModelsThenOther()
{
    const QStringList list = listEntries();
    QCOMPARE(list.size(), 25);
    QCOMPARE(list.first(), QStringLiteral("KE-1"));
    QCOMPARE(list[3], QStringLiteral("GK-1"));
    QCOMPARE(list[10], QStringLiteral("RF-5"));
    QCOMPARE(list[23], QStringLiteral("GY-2"));
    QCOMPARE(list.last(), QStringLiteral("ПРОЧИЕ"));
    QCOMPARE(otherEntry(), QStringLiteral("ПРОЧИЕ"));
    const std::set<QString> unique(list.begin(), list.end());
    QCOMPARE(unique.size(), std::size_t(25));
}

void CatalogueLookupTest::typeCodes_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("code");
    QTest::newRow("0 KE-1 ceiling") << 0 << "П";
    QTest::newRow("3 GK-1 wall") << 3 << "Н";
    QTest::newRow("4 GK-2 ceiling") << 4 << "П";
    QTest::newRow("5 GK-3 wall") << 5 << "Н";
    QTest::newRow("6 RF-1 round horn") << 6 << "Р";
    QTest::newRow("9 RF-4 round horn") << 9 << "Р";
    QTest::newRow("10 RF-5 square horn") << 10 << "К";
    QTest::newRow("11 RF-6 square horn") << 11 << "К";
    QTest::newRow("12 LV-1 wall") << 12 << "Н";
    QTest::newRow("23 GY-2 wall") << 23 << "Н";
    QTest::newRow("24 ПРОЧИЕ") << 24 << "П";
    QTest::newRow("25 first spare") << 25 << "";
    QTest::newRow("33 last spare") << 33 << "";
}

void CatalogueLookupTest::typeCodes()
{
    QFETCH(int, slot);
    QFETCH(QString, code);
    const auto table = typeCodeTable();
    QCOMPARE(int(table.size()), 34);
    QCOMPARE(table[std::size_t(slot)], code);
}

void CatalogueLookupTest::codesAreCyrillic()
{
    // The codes are Cyrillic capitals; the Latin H, P and K look the same.
    const auto table = typeCodeTable();
    QCOMPARE(table[3], QString(QChar(0x041D)));
    QCOMPARE(table[0], QString(QChar(0x041F)));
    QCOMPARE(table[6], QString(QChar(0x0420)));
    QCOMPARE(table[10], QString(QChar(0x041A)));
    for (int k = 0; k < ModelCount; ++k) {
        QCOMPARE(table[std::size_t(k)].size(), 1);
        QVERIFY2(table[std::size_t(k)][0].unicode() >= 0x0400, qPrintable(QString::number(k)));
    }
}

void CatalogueLookupTest::listTableAndLookupsAgree()
{
    // List entry k, slot k and the lookups belong to the same model.
    const QStringList list = listEntries();
    const auto table = typeCodeTable();
    const auto &all = models();
    for (int k = 0; k < ModelCount; ++k) {
        const Model &model = all[std::size_t(k)];
        QCOMPARE(list[k], QString::fromUtf16(model.designation));
        QCOMPARE(table[std::size_t(k)], QString(QChar(model.typeCode)));
        QCOMPARE(pvG(list[k]), std::optional<std::int16_t>(model.ratedPower));
        QCOMPARE(pdG(list[k]), std::optional<std::int16_t>(model.sensitivity));
    }
}

QTEST_APPLESS_MAIN(CatalogueLookupTest)
#include "tst_catalogue_lookup.moc"
