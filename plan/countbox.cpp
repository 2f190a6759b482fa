#include "countbox.h"

#include <QLineEdit>
#include <algorithm>

namespace plan {

namespace {

// Digits beyond these are not taken: every such number lies far outside the
// range and still fits a 64-bit whole number.
constexpr int MaxDigits = 15;

} // namespace

CountBox::CountBox(QWidget *parent) : QSpinBox(parent)
{
    // After the spin box's own handler, which has taken the corrected value.
    connect(lineEdit(), &QLineEdit::textChanged, this, &CountBox::announceCorrection);
}

QValidator::State CountBox::validate(QString &input, int &pos) const
{
    const QString entry = input.trimmed();
    if (entry.isEmpty())
        return QValidator::Intermediate;
    if (entry.size() > MaxDigits
        || !std::all_of(entry.cbegin(), entry.cend(), [](QChar c) { return c.isDigit(); }))
        return QValidator::Invalid;
    bool ok = false;
    const qint64 typed = entry.toLongLong(&ok);
    if (!ok)
        return QValidator::Invalid;
    if (typed >= minimum() && typed <= maximum())
        return QValidator::Acceptable;
    const int used = int(std::clamp<qint64>(typed, minimum(), maximum()));
    input = QString::number(used);
    pos = int(input.size());
    m_corrected = typed;
    return QValidator::Acceptable;
}

void CountBox::announceCorrection()
{
    if (const std::optional<qint64> typed = std::exchange(m_corrected, std::nullopt))
        emit entryCorrected(*typed, value());
}

} // namespace plan
