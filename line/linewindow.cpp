#include "linewindow.h"

#include "calc/calculation.h"
#include "calc/textrules.h"
#include "line/linecalc.h"
#include "line/linetexts.h"
#include "widgets/accessibility.h"
#include "widgets/look.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace {

const QColor MetColour{0, 110, 0};
const QColor NotMetColour{190, 0, 0};

// A verdict that is neither met nor failed keeps the plain text colour.
QColor colourOf(line::Verdict verdict)
{
    switch (verdict) {
    case line::Verdict::Met: return MetColour;
    case line::Verdict::NotMet: return NotMetColour;
    case line::Verdict::NoData:
    case line::Verdict::Required: return look::textColour();
    }
    return look::textColour();
}

// A label whose value a screen reader reads as its name; an empty label
// keeps an empty name.
void showValue(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setAccessibleName(text);
}

// A line of its own under the figures takes no room while it has nothing
// to say.
void showLine(QLabel *label, const QString &text)
{
    showValue(label, text);
    label->setHidden(text.isEmpty());
}

double valueOf(const QString &text)
{
    return line::readNumber(text).value_or(std::numeric_limits<double>::quiet_NaN());
}

} // namespace

LineWindow::LineWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    // Before any control: Qt makes a control's accessible interface as
    // soon as the control changes, and keeps it.
    a11y::installAccessibility();
    setObjectName(QStringLiteral("LineWindow"));
    setWindowTitle(QStringLiteral("Потери на проводах и усилитель"));
    const QChar dp = calc::localeDecimalPoint();

    auto *column = new QVBoxLayout(this);
    m_inputsChanged = new QLabel(this);
    m_inputsChanged->setObjectName(QStringLiteral("lblLineInputsChanged"));
    m_inputsChanged->setWordWrap(true);
    look::setTextColour(m_inputsChanged, NotMetColour);
    showLine(m_inputsChanged, QString());
    column->addWidget(m_inputsChanged);
    m_grid = new QGridLayout;
    m_grid->setColumnStretch(1, 1);
    // A clear gap between the longest caption and its value.
    m_grid->setHorizontalSpacing(2 * fontMetrics().averageCharWidth());
    column->addLayout(m_grid);

    m_voltage = new QComboBox(this);
    m_voltage->setObjectName(QStringLiteral("cmbLineU"));
    for (int volts : {100, 70, 30})
        m_voltage->addItem(QString::number(volts), double(volts));
    addCaption(QStringLiteral("Напряжение линии, В"), "capLineU", m_voltage);

    m_count
        = addNumberBox(QStringLiteral("Количество громкоговорителей"), "txtLineCount", QStringLiteral("1"));
    m_power
        = addNumberBox(QStringLiteral("Мощность громкоговорителя на отводе, Вт"), "txtLinePower", QString());
    m_firstLength = addNumberBox(QStringLiteral("Длина до первого громкоговорителя, м"), "txtLineFirst",
                                 QStringLiteral("10"));
    m_lastLength = addNumberBox(QStringLiteral("Длина до последнего громкоговорителя, м"), "txtLineLast",
                                QStringLiteral("50"));

    m_section = new QComboBox(this);
    m_section->setObjectName(QStringLiteral("cmbLineSection"));
    m_section->setEditable(true);
    // Typing a section and pressing Enter must not grow the list of sections
    // on sale.
    m_section->setInsertPolicy(QComboBox::NoInsert);
    for (double s : line::StandardSections)
        m_section->addItem(calc::formatGeneral(s, dp));
    m_section->setCurrentIndex(2); // 0.75 mm2
    addCaption(QStringLiteral("Сечение жилы, мм²"), "capLineSection", m_section);

    m_allowedLoss = addNumberBox(QStringLiteral("Допустимые потери, дБ"), "txtLineLoss", QStringLiteral("1"));
    m_headroom = addNumberBox(QStringLiteral("Запас мощности усилителя, %"), "txtLineHeadroom",
                              QStringLiteral("25"));

    m_grid->setRowMinimumHeight(m_row++, fontMetrics().height() / 2);

    m_outputs = {
        addOutput(QStringLiteral("Суммарная мощность линии, Вт"), "lblLineTotalPower"),
        addOutput(QStringLiteral("Сопротивление нагрузки, Ом"), "lblLineLoad"),
        addOutput(QStringLiteral("Сопротивление проводов, Ом"), "lblLineWires"),
        addOutput(QStringLiteral("Потери на последнем громкоговорителе, дБ"), "lblLineLossAtLast"),
        addOutput(QStringLiteral("Напряжение на последнем громкоговорителе, В"), "lblLineVoltage"),
        addOutput(QStringLiteral("Потери мощности в кабеле, %"), "lblLineCableLoss"),
        addOutput(QStringLiteral("Наименьшее сечение жилы, мм²"), "lblLineLeastSection"),
        addOutput(QStringLiteral("Наибольшая длина линии, м"), "lblLineLongest"),
        addOutput(QStringLiteral("Мощность усилителя, не менее, Вт"), "lblLineAmplifier"),
    };

    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("lblLineVerdict"));
    m_verdict->setWordWrap(true);
    column->addWidget(m_verdict);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblLineStatus"));
    m_status->setWordWrap(true);
    look::setTextColour(m_status, NotMetColour);
    column->addWidget(m_status);

    buildCheckGroup();
    column->addWidget(m_checkGroup);
    column->addStretch(1);

    for (QLineEdit *box : {m_count, m_power, m_firstLength, m_lastLength, m_allowedLoss, m_headroom})
        connect(box, &QLineEdit::textChanged, this, &LineWindow::refresh);
    connect(m_voltage, &QComboBox::currentIndexChanged, this, &LineWindow::refresh);
    connect(m_section, &QComboBox::currentTextChanged, this, &LineWindow::refresh);
    refresh();
}

void LineWindow::addCaption(const QString &text, const char *name, QWidget *field)
{
    QLabel *caption = a11y::captionFor(field, text);
    caption->setObjectName(QString::fromLatin1(name));
    m_grid->addWidget(caption, m_row, 0);
    m_grid->addWidget(field, m_row, 1);
    ++m_row;
}

QLineEdit *LineWindow::addNumberBox(const QString &caption, const char *name, const QString &text)
{
    auto *box = new QLineEdit(text, this);
    box->setObjectName(QString::fromLatin1(name));
    const QByteArray captionName = QByteArray("cap") + QByteArray(name).mid(3);
    addCaption(caption, captionName.constData(), box);
    return box;
}

QLabel *LineWindow::addOutput(const QString &caption, const char *name)
{
    auto *heading = new QLabel(caption, this);
    heading->setObjectName(QStringLiteral("cap") + QString::fromLatin1(name).mid(3));
    auto *value = new QLabel(this);
    value->setObjectName(QString::fromLatin1(name));
    a11y::makeCopyableValue(value, caption);
    m_grid->addWidget(heading, m_row, 0);
    m_grid->addWidget(value, m_row, 1);
    ++m_row;
    return value;
}

void LineWindow::buildCheckGroup()
{
    m_checkGroup = new QGroupBox(line::CheckTitle, this);
    m_checkGroup->setObjectName(QStringLiteral("grpLineCheck"));
    m_checkGroup->setAccessibleName(line::CheckTitle);
    m_checkGrid = new QGridLayout(m_checkGroup);
    m_checkGrid->setColumnStretch(0, 1);
    m_checkGrid->setHorizontalSpacing(2 * fontMetrics().averageCharWidth());
    m_noCalculation = new QLabel(calc::msg::CalculateFirst, m_checkGroup);
    m_noCalculation->setObjectName(QStringLiteral("lblCheckNone"));
    m_checkGrid->addWidget(m_noCalculation, 0, 0, 1, 4);
}

LineWindow::CheckRowLabels &LineWindow::checkRow(std::size_t index)
{
    while (m_checkRows.size() <= index) {
        const int row = int(m_checkRows.size()) + 1;
        auto make = [this, row](const char *prefix, int column) {
            auto *label = new QLabel(m_checkGroup);
            label->setObjectName(QString::fromLatin1(prefix) + QString::number(row - 1));
            m_checkGrid->addWidget(label, row, column);
            return label;
        };
        const CheckRowLabels labels{make("lblCheckWhat", 0), make("lblCheckValue", 1),
                                    make("lblCheckRule", 2), make("lblCheckResult", 3)};
        // Marked before anything asks how to read them.
        for (QLabel *cell : {labels.value, labels.rule, labels.result})
            a11y::describeResult(cell, labels.what);
        m_checkRows.push_back(labels);
    }
    return m_checkRows[index];
}

void LineWindow::setPowerText(double tappedPower)
{
    if (std::isfinite(tappedPower) && tappedPower > 0.0)
        m_power->setText(calc::formatGeneral(tappedPower, calc::localeDecimalPoint()));
    else
        m_power->clear();
}

void LineWindow::setStartValues(int count, double tappedPower)
{
    m_count->setText(QString::number(count));
    setPowerText(tappedPower);
}

void LineWindow::showCalculation(const line::CalculationFigures &figures)
{
    if (!figures.completed)
        return;
    m_calculation = figures;
    m_count->setText(calc::formatGeneral(figures.count, calc::localeDecimalPoint()));
    setPowerText(figures.tappedPower);
    // Setting the same texts again emits nothing; the check must still
    // follow the new calculation.
    refresh();
}

void LineWindow::showCompletedCalculation(const calc::CompletedCalculation &calculation)
{
    showLine(m_inputsChanged, QString());
    showCalculation(line::figuresOf(calculation));
}

void LineWindow::showInputsChanged()
{
    if (!m_calculation.completed)
        return;
    showLine(m_inputsChanged, calc::InputsChangedNotice);
    growToFit();
}

void LineWindow::refresh()
{
    line::LineInputs in;
    in.voltage = m_voltage->currentData().toDouble();
    in.count = valueOf(m_count->text());
    in.power = valueOf(m_power->text());
    in.firstLength = valueOf(m_firstLength->text());
    in.lastLength = valueOf(m_lastLength->text());
    in.section = valueOf(m_section->currentText());
    in.allowedLoss = valueOf(m_allowedLoss->text());
    in.headroom = valueOf(m_headroom->text());

    const auto outcome = line::computeLine(in);
    if (const auto *field = std::get_if<line::LineField>(&outcome)) {
        for (QLabel *label : m_outputs)
            showValue(label, QString());
        showLine(m_verdict, QString());
        showLine(m_status, line::problemText(*field));
        m_lineLoss.reset();
    } else {
        const auto &figures = std::get<line::LineFigures>(outcome);
        const line::LineTexts t = line::formatLine(figures, calc::localeDecimalPoint());
        const QString texts[]
            = {t.totalPower,     t.load,         t.wireResistance, t.lossAtLast,    t.voltageAtLast,
               t.cableLossShare, t.leastSection, t.longestLine,    t.amplifierPower};
        for (std::size_t i = 0; i < m_outputs.size(); ++i)
            showValue(m_outputs[i], texts[i]);
        showLine(m_verdict, t.verdict);
        look::setTextColour(m_verdict, figures.lossInNorm ? MetColour : NotMetColour);
        showLine(m_status, QString());
        m_lineLoss = figures.lossAtLast;
    }
    showChecks();
    growToFit();
}

void LineWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    growToFit();
}

void LineWindow::growToFit()
{
    // Lines and rows that appear while the window is open would otherwise
    // squeeze the fields; the window grows to fit them, and never shrinks,
    // so a height the user chose stays.
    if (!isVisible())
        return;
    layout()->activate();
    const int needed = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                     : layout()->totalSizeHint().height();
    if (height() < needed)
        resize(width(), needed);
}

void LineWindow::showChecks()
{
    const std::vector<line::CheckRow> rows = m_calculation.completed
        ? line::standardChecks(m_calculation, m_lineLoss, calc::localeDecimalPoint())
        : std::vector<line::CheckRow>();
    m_noCalculation->setVisible(!m_calculation.completed);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const line::CheckRow &row = rows[i];
        CheckRowLabels &labels = checkRow(i);
        const QString result = line::verdictText(row.verdict);
        labels.what->setText(row.what);
        // The checks keep to one line each; a notice is a sentence and
        // wraps rather than widen the window.
        labels.what->setWordWrap(row.rule.isEmpty());
        // Value, rule and verdict are read by their text, an empty value as
        // empty, each described by what the row checks.
        for (auto [label, text] : {std::pair{labels.value, row.value}, std::pair{labels.rule, row.rule},
                                   std::pair{labels.result, result}}) {
            a11y::describeResult(label, labels.what);
            label->setText(text);
        }
        // The verdict alone tells the whole row: what, value and rule.
        QStringList parts{row.what.simplified()};
        for (const QString &part : {row.value, row.rule}) {
            if (!part.isEmpty())
                parts << part;
        }
        labels.result->setAccessibleDescription(parts.join(QStringLiteral("; ")));
        look::setTextColour(labels.result, colourOf(row.verdict));
        // An empty value stays in its place: the cell a screen reader lands
        // on says there is no figure.
        for (QLabel *label : {labels.what, labels.value, labels.result})
            label->setVisible(true);
        // A notice has no rule of its own, so it has no rule cell.
        labels.rule->setVisible(!row.rule.isEmpty());
    }
    for (std::size_t i = rows.size(); i < m_checkRows.size(); ++i) {
        const CheckRowLabels &labels = m_checkRows[i];
        for (QLabel *label : {labels.what, labels.value, labels.rule, labels.result})
            label->setVisible(false);
    }
}
