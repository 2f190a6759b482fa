#include "reportbytes.h"
#include "windowfixture.h"

#include "catalogue/loudspeakergroup.h"
#include "output/attenuationgroup.h"
#include "output/helptexts.h"
#include "output/resultsgroup.h"
#include "room/roomgroup.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

const QString FileName = QStringLiteral("Расчет-Г.txt");
const QString Question = QStringLiteral("Файл  Расчет-Г.txt  уже существует.\r\n"
                                        "Добавить данные в существующий файл? (Да)\r\n"
                                        "Создать новый? (Нет)");
const QString Written = QStringLiteral("Данные находятся в файле Расчет-Г.txt");
const QString NotCalculated = QStringLiteral("Вначале произведите расчет");

// The block of the start-up wall loudspeaker in the 6 x 6 m car park.
QStringList startupWallBlock(const QString &model = "GK-1", const QString &type = "Настенный")
{
    return {
        "ВХОДНЫЕ ДАННЫЕ",
        QString(63, u'_'),
        "Наименование громкоговорителя                  -  " + model,
        "Тип громкоговорителя                           -  " + type,
        "Мощность громкоговорителя, Вт                  -  6",
        "Чувствительность громковорителя, дБ            -  88",
        "Диаграмма направленности, Град                 -  90",
        "Уровень перекрытия шума, дБ                    -  10",
        "Высота точки прослушивания, см                 -  150",
        "Тип помещения                                  -  АВТОСТОЯНКА",
        "Уровень шума помещения, дБ                     -  70",
        "Высота установки громкоговорителя, м -  3",
        "Длина   помещения, м                           -  6",
        "Ширина  помещения, м                           -  6",
        "Площадь помещения, м2                          -  36",
        "",
        "ВЫХОДНЫЕ ДАННЫЕ",
        QString(63, u'_'),
        "Общее звуковое давление, дБ                    -  95",
        "Эффективная дальность, м                       -  5",
        "Озвучиваемая площадь, м2                       -  20",
        "Необходимое кол-во громкоговорителей           -  2",
        "",
        QString(64, u'-'),
        "",
    };
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ReportWindowTest : public WindowTest {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void printBeforeAnyCalculationWritesNothing();
    void printAfterAStoppedCalculationWritesNothing();
    void firstPrintCreatesTheFileWithoutAsking();
    void yesAppendsNoReplacesCancelKeepsTheFile();
    void printAfterAnInputChangeKeepsTheLastFigures();
    void printAfterAChoiceAsksForACalculation_data();
    void printAfterAChoiceAsksForACalculation();
    void commaLocaleWritesCommas();
    void unwritableFileGivesAFailureMessageOnly();
    void helpAndAboutChangeNothing();
    void attenuationTool();

private:
    QString path() const { return m_dir->filePath(FileName); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousFolder;
};

void ReportWindowTest::init()
{
    QLocale::setDefault(QLocale::c());
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_previousFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    // The window takes its working folder at start-up.
    openWindow();
}

void ReportWindowTest::cleanup()
{
    closeWindow();
    QDir::setCurrent(m_previousFolder);
    m_dir.reset();
}

void ReportWindowTest::printBeforeAnyCalculationWritesNothing()
{
    QTest::mouseClick(frame2(f->w())->cmdPch, Qt::LeftButton);
    QCOMPARE(f->messages.texts(), QStringList{NotCalculated});
    QCOMPARE(f->messages.shown[0].title, QString());
    QVERIFY(!QFile::exists(path()));
}

void ReportWindowTest::printAfterAStoppedCalculationWritesNothing()
{
    f->w().cmdRkl_Click();
    QVERIFY(f->w().state().calculated);
    frame4(f->w())->txtL->clear();
    f->w().cmdRkl_Click();
    QVERIFY(!f->w().state().calculated);
    f->messages.shown.clear();
    frame2(f->w())->cmdPch->click();
    QCOMPARE(f->messages.texts(), QStringList{NotCalculated});
    QVERIFY(!QFile::exists(path()));
}

void ReportWindowTest::firstPrintCreatesTheFileWithoutAsking()
{
    frame2(f->w())->cmdRkl->click();
    frame2(f->w())->cmdPch->click();
    QCOMPARE(f->messages.texts(), QStringList{Written});
    QCOMPARE(f->messages.shown[0].title, QString());
    QCOMPARE(readAll(path()), reportFileBytes(startupWallBlock()));
}

void ReportWindowTest::yesAppendsNoReplacesCancelKeepsTheFile()
{
    const QByteArray block = reportFileBytes(startupWallBlock());
    frame2(f->w())->cmdRkl->click();
    frame2(f->w())->cmdPch->click();

    f->messages.shown.clear();
    f->messages.answers = {Messenger::Answer::Yes};
    frame2(f->w())->cmdPch->click();
    QCOMPARE(f->messages.texts(), (QStringList{Question, Written}));
    QVERIFY(f->messages.shown[0].question);
    QCOMPARE(f->messages.shown[0].title, QString("ВНИМАНИЕ!"));
    QCOMPARE(readAll(path()), block + block);

    f->messages.shown.clear();
    f->messages.answers = {Messenger::Answer::Cancel};
    frame2(f->w())->cmdPch->click();
    QCOMPARE(f->messages.texts(), QStringList{Question});
    QCOMPARE(readAll(path()), block + block);

    f->messages.shown.clear();
    f->messages.answers = {Messenger::Answer::No};
    frame2(f->w())->cmdPch->click();
    QCOMPARE(f->messages.texts(), (QStringList{Question, Written}));
    QCOMPARE(readAll(path()), block);
}

void ReportWindowTest::printAfterAnInputChangeKeepsTheLastFigures()
{
    frame2(f->w())->cmdRkl->click();
    // A typed room name and another power tap after the calculation: the
    // results go, the report keeps the last calculation's figures.
    frame4(f->w())->cmbOn->setEditText("Цех № 5");
    frame3(f->w())->opt_1[2]->click();
    QVERIFY(frame2(f->w())->lblPd->text().isEmpty());
    f->messages.shown.clear();
    frame2(f->w())->cmdPch->click();
    QCOMPARE(f->messages.texts(), QStringList{Written});
    QStringList expected = startupWallBlock();
    expected[9] = "Тип помещения                                  -  Цех № 5";
    QCOMPARE(readAll(path()), reportFileBytes(expected));
}

// A model, room type or mounting type chosen after the calculation would
// put its name beside another loudspeaker's figures: PRINT asks for a
// calculation instead, until the next one completes.
void ReportWindowTest::printAfterAChoiceAsksForACalculation_data()
{
    QTest::addColumn<QString>("choice");
    QTest::newRow("model") << "model";
    QTest::newRow("room type") << "room type";
    QTest::newRow("mounting type") << "mounting type";
}

void ReportWindowTest::printAfterAChoiceAsksForACalculation()
{
    QFETCH(QString, choice);
    QComboBox *model = frame3(f->w())->cmbG;
    if (choice == "mounting type") {
        // "ПРОЧИЕ" frees the mounting types before the calculation.
        const int other = model->count() - 1;
        model->setCurrentIndex(other);
        emit model->activated(other);
        frame3(f->w())->txtPv->setText("6");
        frame3(f->w())->txtPd->setText("88");
    }
    frame2(f->w())->cmdRkl->click();
    QVERIFY(f->w().state().calculated);

    if (choice == "model") {
        model->setCurrentIndex(10);
        emit model->activated(10);
    } else if (choice == "room type") {
        QComboBox *roomType = frame4(f->w())->cmbOn;
        roomType->setCurrentIndex(2);
        emit roomType->activated(2);
    } else {
        frame3(f->w())->opt1->click();
        QVERIFY(frame3(f->w())->opt1->isChecked());
    }
    f->messages.shown.clear();
    frame2(f->w())->cmdPch->click();
    QCOMPARE(f->messages.texts(), QStringList{NotCalculated});
    QVERIFY(!QFile::exists(path()));

    frame2(f->w())->cmdRkl->click();
    QVERIFY(f->w().state().calculated);
    f->messages.shown.clear();
    frame2(f->w())->cmdPch->click();
    QCOMPARE(f->messages.texts(), QStringList{Written});
    QVERIFY(QFile::exists(path()));
}

void ReportWindowTest::commaLocaleWritesCommas()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    frame4(f->w())->txtH->setText("2.5");
    frame4(f->w())->txtW->setText("7.5");
    frame2(f->w())->cmdRkl->click();
    QVERIFY(f->w().state().calculated);
    frame2(f->w())->cmdPch->click();
    const QByteArray bytes = readAll(path());
    QVERIFY(bytes.contains(reportFileBytes({"Высота установки громкоговорителя, м -  2,5"})));
    QVERIFY(bytes.contains(reportFileBytes({"Ширина  помещения, м                           -  7,5"})));
}

void ReportWindowTest::unwritableFileGivesAFailureMessageOnly()
{
    // A folder that takes the report's name cannot be written, even by root.
    QVERIFY(QDir(m_dir->path()).mkdir(FileName));
    frame2(f->w())->cmdRkl->click();
    frame2(f->w())->cmdPch->click();
    const QStringList texts = f->messages.texts();
    QCOMPARE(texts.size(), 1);
    QVERIFY(!texts.contains(Written));
    QVERIFY2(texts[0].contains(FileName), qPrintable(texts[0]));
    QVERIFY(QFileInfo(path()).isDir());
}

void ReportWindowTest::helpAndAboutChangeNothing()
{
    frame2(f->w())->cmdRkl->click();
    frame5(f->w())->lblZat->setText("20");
    frame2(f->w())->cmdSpr->click();
    mopr(f->w())->trigger();
    QCOMPARE(f->messages.texts(), (QStringList{output::helpText(), output::aboutText()}));
    QCOMPARE(f->messages.shown[0].title, QString("Краткая справка!"));
    QCOMPARE(f->messages.shown[1].title, QString("О программе"));
    QCOMPARE(frame2(f->w())->lblKs->text(), QString("2"));
    QCOMPARE(frame5(f->w())->lblZat->text(), QString("20"));
    QVERIFY(f->w().state().calculated);
    for (const char *forbidden : {"@", "http", "www", "тел.", "факс"})
        QVERIFY2(!output::aboutText().contains(QString::fromUtf8(forbidden), Qt::CaseInsensitive), forbidden);
}

void ReportWindowTest::attenuationTool()
{
    frame2(f->w())->cmdRkl->click();
    QTest::mouseClick(frame5(f->w())->cmdZ, Qt::LeftButton);
    QCOMPARE(frame5(f->w())->lblZat->text(), QString("20"));
    QCOMPARE(frame2(f->w())->lblPd->text(), QString("95"));

    for (const char *missing : {"", "0", ".", "-5"}) {
        f->messages.shown.clear();
        frame5(f->w())->lblZat->setText("20");
        frame5(f->w())->txtDln->setText(QString::fromLatin1(missing));
        frame2(f->w())->cmdRkl->setFocus();
        frame5(f->w())->cmdZ->click();
        QCOMPARE(f->messages.texts(), QStringList{"Введите дальность"});
        QVERIFY(frame5(f->w())->lblZat->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), frame5(f->w())->txtDln);
        QCOMPARE(frame5(f->w())->txtDln->text(), QString::fromLatin1(missing));
    }
    frame5(f->w())->txtDln->setText("0.5");
    frame5(f->w())->cmdZ->click();
    QCOMPARE(frame5(f->w())->lblZat->text(), QString("-7"));
}

QTEST_MAIN(ReportWindowTest)
#include "tst_window_report.moc"
