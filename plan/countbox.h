#pragma once

#include <QSpinBox>
#include <optional>

namespace plan {

// The box "Количество громкоговорителей": whole numbers within its range.
// A whole number typed outside the range is not dropped digit by digit nor
// left on screen unused: it becomes the nearest number of the range at once,
// and entryCorrected says what was typed and what it became.
class CountBox : public QSpinBox {
    Q_OBJECT
public:
    explicit CountBox(QWidget *parent = nullptr);

    QValidator::State validate(QString &input, int &pos) const override;

signals:
    void entryCorrected(qint64 typed, int used);

private:
    void announceCorrection();

    // Set by validate when it corrects an entry, announced once the box
    // shows the correction.
    mutable std::optional<qint64> m_corrected;
};

} // namespace plan
