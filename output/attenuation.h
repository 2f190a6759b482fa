#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// The tool "Зависимость": by how many decibels sound falls at a distance
// compared with the level at 1 m.
namespace output {

// The message when there is no usable distance.
inline const QString MsgDistance = QStringLiteral("Введите дальность");

// The caption of LblZat for the text of TxtDln: twenty times the decimal
// logarithm of the distance, rounded down, as a whole number. No value when
// the distance is missing: an empty text, a leading-number value of 0, a
// negative distance (pasted past the key filter) or one too large to be a
// number.
std::optional<QString> attenuationCaption(QStringView distanceText);

} // namespace output
