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
    QTest::mouseClick(f->w().frame2->cmdPch, Qt::LeftButton);
    QCOMPARE(f->messages.texts(), QStringList{NotCalculated});
    QCOMPARE(f->messages.shown[0].title, QString());
    QVERIFY(!QFile::exists(path()));
}

void ReportWindowTest::printAfterAStoppedCalculationWritesNothing()
{
    f->w().cmdRkl_Click();
    QVERIFY(f->w().state().calculated);
    f->w().frame4->txtL->clear();
    f->w().cmdRkl_Click();
    QVERIFY(!f->w().state().calculated);
    f->messages.shown.clear();
    f->w().frame2->cmdPch->click();
    QCOMPARE(f->messages.texts(), QStringList{NotCalculated});
    QVERIFY(!QFile::exists(path()));
}

void ReportWindowTest::firstPrintCreatesTheFileWithoutAsking()
{
    f->w().frame2->cmdRkl->click();
    f->w().frame2->cmdPch->click();
    QCOMPARE(f->messages.texts(), QStringList{Written});
    QCOMPARE(f->messages.shown[0].title, QString());
    QCOMPARE(readAll(path()), reportFileBytes(startupWallBlock()));
}

void ReportWindowTest::yesAppendsNoReplacesCancelKeepsTheFile()
{
    const QByteArray block = reportFileBytes(startupWallBlock());
    f->w().frame2->cmdRkl->click();
    f->w().frame2->cmdPch->click();

    f->messages.shown.clear();
    f->messages.answers = {Messenger::Answer::Yes};
    f->w().frame2->cmdPch->click();
    QCOMPARE(f->messages.texts(), (QStringList{Question, Written}));
    QVERIFY(f->messages.shown[0].question);
    QCOMPARE(f->messages.shown[0].title, QString("ВНИМАНИЕ!"));
    QCOMPARE(readAll(path()), block + block);

    f->messages.shown.clear();
    f->messages.answers = {Messenger::Answer::Cancel};
    f->w().frame2->cmdPch->click();
    QCOMPARE(f->messages.texts(), QStringList{Question});
    QCOMPARE(readAll(path()), block + block);

    f->messages.shown.clear();
    f->messages.answers = {Messenger::Answer::No};
    f->w().frame2->cmdPch->click();
    QCOMPARE(f->messages.texts(), (QStringList{Question, Written}));
    QCOMPARE(readAll(path()), block);
}

void ReportWindowTest::printAfterAnInputChangeKeepsTheLastFigures()
{
    f->w().frame2->cmdRkl->click();
    // Choose the square horn RF-5 from the list and type another room type:
    // the results go, the report keeps the last calculation's figures.
    QComboBox *model = f->w().frame3->cmbG;
    model->setCurrentIndex(10);
    emit model->activated(10);
    QCOMPARE(f->w().frame3->txtPv->text(), QString("30"));
    QVERIFY(f->w().frame2->lblPd->text().isEmpty());
    f->w().frame4->cmbOn->setEditText("Цех № 5");
    f->w().frame2->cmdPch->click();

    QStringList expected = startupWallBlock("RF-5", "Рупорный");
    expected[9] = "Тип помещения                                  -  Цех № 5";
    expected[6] = "Диаграмма направленности горизонтальная, Град  -  90";
    expected.insert(7, "Диаграмма направленности вертикальная,   Град  -  90");
    QCOMPARE(expected.size(), 26);
    QCOMPARE(readAll(path()), reportFileBytes(expected));
}

void ReportWindowTest::commaLocaleWritesCommas()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    f->w().frame4->txtH->setText("2.5");
    f->w().frame4->txtW->setText("7.5");
    f->w().frame2->cmdRkl->click();
    QVERIFY(f->w().state().calculated);
    f->w().frame2->cmdPch->click();
    const QByteArray bytes = readAll(path());
    QVERIFY(bytes.contains(reportFileBytes({"Высота установки громкоговорителя, м -  2,5"})));
    QVERIFY(bytes.contains(reportFileBytes({"Ширина  помещения, м                           -  7,5"})));
}

void ReportWindowTest::unwritableFileGivesAFailureMessageOnly()
{
    // A folder that takes the report's name cannot be written, even by root.
    QVERIFY(QDir(m_dir->path()).mkdir(FileName));
    f->w().frame2->cmdRkl->click();
    f->w().frame2->cmdPch->click();
    const QStringList texts = f->messages.texts();
    QCOMPARE(texts.size(), 1);
    QVERIFY(!texts.contains(Written));
    QVERIFY2(texts[0].contains(FileName), qPrintable(texts[0]));
    QVERIFY(QFileInfo(path()).isDir());
}

void ReportWindowTest::helpAndAboutChangeNothing()
{
    f->w().frame2->cmdRkl->click();
    f->w().frame5->lblZat->setText("20");
    f->w().frame2->cmdSpr->click();
    f->w().mopr->trigger();
    QCOMPARE(f->messages.texts(), (QStringList{output::helpText(), output::aboutText()}));
    QCOMPARE(f->messages.shown[0].title, QString("Краткая справка!"));
    QCOMPARE(f->messages.shown[1].title, QString("О программе"));
    QCOMPARE(f->w().frame2->lblKs->text(), QString("2"));
    QCOMPARE(f->w().frame5->lblZat->text(), QString("20"));
    QVERIFY(f->w().state().calculated);
    for (const char *forbidden : {"@", "http", "www", "тел.", "факс"})
        QVERIFY2(!output::aboutText().contains(QString::fromUtf8(forbidden), Qt::CaseInsensitive), forbidden);
}

void ReportWindowTest::attenuationTool()
{
    f->w().frame2->cmdRkl->click();
    QTest::mouseClick(f->w().frame5->cmdZ, Qt::LeftButton);
    QCOMPARE(f->w().frame5->lblZat->text(), QString("20"));
    QCOMPARE(f->w().frame2->lblPd->text(), QString("95"));

    for (const char *missing : {"", "0", ".", "-5"}) {
        f->messages.shown.clear();
        f->w().frame5->lblZat->setText("20");
        f->w().frame5->txtDln->setText(QString::fromLatin1(missing));
        f->w().frame2->cmdRkl->setFocus();
        f->w().frame5->cmdZ->click();
        QCOMPARE(f->messages.texts(), QStringList{"Введите дальность"});
        QVERIFY(f->w().frame5->lblZat->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), f->w().frame5->txtDln);
        QCOMPARE(f->w().frame5->txtDln->text(), QString::fromLatin1(missing));
    }
    f->w().frame5->txtDln->setText("0.5");
    f->w().frame5->cmdZ->click();
    QCOMPARE(f->w().frame5->lblZat->text(), QString("-7"));
}

QTEST_MAIN(ReportWindowTest)
#include "tst_window_report.moc"
