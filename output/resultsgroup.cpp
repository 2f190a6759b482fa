#include "resultsgroup.h"

#include "output/helptexts.h"
#include "output/report.h"
#include "output/reportfile.h"
#include "widgets/accessibility.h"
#include "widgets/commandbutton.h"
#include "widgets/look.h"
#include "widgets/messenger.h"
#include "widgets/resultlabel.h"

#include <QLabel>
#include <QPushButton>

namespace {

QLabel *resultHeading(QWidget *parent, const char *name, const QString &text)
{
    QLabel *label = look::headingLabel(parent, name, text);
    look::setTextColour(label, look::Navy);
    return label;
}

} // namespace

ResultsGroup::ResultsGroup(QWidget *parent) : QGroupBox(QStringLiteral("Выходные данные"), parent)
{
    setObjectName(QStringLiteral("Frame2"));
    setFont(look::font(12));

    cmdRkl = commandButton(this, "CmdRkl", QStringLiteral("РАСЧИТАТЬ"));
    look::place(cmdRkl, 120, 360, 1695, 615);
    cmdPch = commandButton(this, "CmdPch", QStringLiteral("ПЕЧАТЬ"));
    look::place(cmdPch, 120, 1200, 1695, 615);
    cmdSpr = commandButton(this, "CmdSpr", QStringLiteral("Краткая справка"));
    look::place(cmdSpr, 120, 2040, 1695, 615);

    label5 = resultHeading(this, "Label5", QStringLiteral("Общее звуковое давление громкоговорителя, дБ"));
    look::place(label5, 2040, 360, 3735, 495);
    lblPd = resultLabel(this, "LblPd", 9.75);
    look::place(lblPd, 6120, 360, 1095, 375);

    label7 = resultHeading(this, "Label7",
                           QStringLiteral("Эффективная дальность, обеспечивающая разборчивость сообщения "
                                          "громкоговорителя, м"));
    look::place(label7, 2040, 960, 3735, 735);
    lblD = resultLabel(this, "LblD", 9.75);
    look::place(lblD, 6120, 960, 1095, 375);

    label13 = resultHeading(this, "Label13", QStringLiteral("Эффективно озвучиваемая площадь, м2"));
    look::place(label13, 2040, 1680, 2535, 375);
    lblS = resultLabel(this, "LblS", 9.75);
    look::place(lblS, 6120, 1560, 1095, 375);

    label9 = resultHeading(this, "Label9", QStringLiteral("Необходимое кол-во громкоговорителей"));
    look::place(label9, 2040, 2160, 3735, 375);
    lblKs = resultLabel(this, "LblKs", 9.75);
    look::place(lblKs, 6120, 2160, 1095, 375);

    a11y::nameGroup(this);
    a11y::describeResult(lblPd, label5);
    a11y::describeResult(lblD, label7);
    a11y::describeResult(lblS, label13);
    a11y::describeResult(lblKs, label9);
}

void ResultsGroup::clearCaptions()
{
    lblPd->clear();
    lblD->clear();
    lblS->clear();
    lblKs->clear();
}

void ResultsGroup::cmdPch_Click(const ReportSource &source)
{
    if (!source.state.calculated || source.choiceSinceCalculation) {
        m_messenger->inform(calc::msg::CalculateFirst);
        return;
    }
    output::WriteMode mode = output::WriteMode::Replace;
    if (output::reportFileExists(source.folder)) {
        switch (m_messenger->ask(output::reportmsg::AppendQuestion, output::reportmsg::AppendTitle)) {
        case Messenger::Answer::Yes: mode = output::WriteMode::Append; break;
        case Messenger::Answer::No: mode = output::WriteMode::Replace; break;
        default: return;
        }
    }
    const QByteArray block = output::reportBlock(source.state, source.mounting, source.model, source.roomType,
                                                 source.decimalPoint);
    const output::WriteResult result = output::writeReport(source.folder, block, mode);
    if (!result.ok) {
        m_messenger->inform(result.error);
        return;
    }
    m_messenger->inform(output::reportmsg::Written);
}

void ResultsGroup::cmdSpr_Click()
{
    m_messenger->inform(output::helpText(), output::HelpTitle);
}
