#include "output/helptexts.h"

#include <QStringList>
#include <QTest>

using namespace output;

class HelpTextsTest : public QObject {
    Q_OBJECT
private slots:
    void helpTextWhole();
    void titles();
    void aboutNamesProgramAndLicence();
    void aboutHasNoInventedContacts();
};

void HelpTextsTest::helpTextWhole()
{
    const QByteArray expected
        = "Площадь озвучиваемая одним громкоговорителем расчитываются исходя из:\r\n"
          "Потолочные: Площадь круга на высоте 1,5 метра (по умолчанию), при угле раскрыва громкоговорителя "
          "90 град(по умолчанию).\r\n"
          "Настенные : Проекция площади сектора на высоту 1,5 метра (по умолчанию), при угле раскрыва "
          "громкоговорителя 120 град(по умолчанию).\r\n"
          "Рупорные (круг) : Элипс на высоте 1,5 метра (по умолчанию), при угле раскрыва громкоговорителя 40 "
          "град (по умолчанию).\r\n"
          "Рупорные (квадрат) : Трапеция на высоте 1,5 метра (по умолчанию), при угле раскрыва "
          "громкоговорителя 60 град (по умолчанию).\r\n"
          "Количество громкоговорителей - это площадь помещения деленая на площадь, \r\n"
          "озвучиваемую одним громкоговорителем, \r\n"
          "Для коридоров количество будет зависить от диаграммы направленности. \r\n"
          "Эффективная дальность - это расстояние от громкоговорителя, \r\n"
          "на котором уровень сигнала больше уровня шума на 10 дБ (по умолчанию).\r\n"
          "Уровни шумов в списке указаны с возможным разбросом 5 дБ.\r\n"
          "В ДАННОЙ ВЕРСИИ УЧТЕН МИНИМАЛЬНЫЙ УРОВЕНЬ\r\n"
          "ЗВУКОВОГО ДАВЛЕНИЯ ПО НПБ 75ДБ";
    QCOMPARE(helpText().toUtf8(), expected);
    QCOMPARE(helpText().split(QStringLiteral("\r\n")).size(), 13);
}

void HelpTextsTest::titles()
{
    QCOMPARE(HelpTitle, QStringLiteral("Краткая справка!"));
    QCOMPARE(AboutTitle, QStringLiteral("О программе"));
}

void HelpTextsTest::aboutNamesProgramAndLicence()
{
    const QStringList lines = aboutText().split(QStringLiteral("\r\n"));
    QVERIFY(!aboutText().endsWith(QStringLiteral("\r\n")));
    QVERIFY(lines.first().contains(QStringLiteral("Расчет громкоговорителей")));
    QVERIFY(aboutText().contains(QStringLiteral("версия 4")));
    QVERIFY(aboutText().contains(QStringLiteral("MIT")));
    // The contact heading stands on its own line, and something follows it.
    const qsizetype heading = lines.indexOf(QStringLiteral("По всем вопросам обращаться:"));
    QVERIFY(heading >= 0);
    QVERIFY(heading + 1 < lines.size());
    QVERIFY(lines.at(heading + 1).contains(QStringLiteral("README")));
}

void HelpTextsTest::aboutHasNoInventedContacts()
{
    const QString about = aboutText();
    QVERIFY(!about.contains(u'@'));
    QVERIFY(!about.contains(QStringLiteral("http"), Qt::CaseInsensitive));
    QVERIFY(!about.contains(QStringLiteral("www"), Qt::CaseInsensitive));
    QVERIFY(!about.contains(QStringLiteral("телефон"), Qt::CaseInsensitive));
    QVERIFY(!about.contains(QStringLiteral("тел."), Qt::CaseInsensitive));
    QVERIFY(!about.contains(QStringLiteral("факс"), Qt::CaseInsensitive));
    // No telephone number or postal code: never more than one digit in a row.
    for (qsizetype i = 0; i + 1 < about.size(); ++i)
        QVERIFY2(!(about.at(i).isDigit() && about.at(i + 1).isDigit()), qPrintable(about));
}

QTEST_APPLESS_MAIN(HelpTextsTest)
#include "tst_output_helptexts.moc"
