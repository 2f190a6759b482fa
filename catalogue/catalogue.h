#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

// The built-in loudspeaker catalogue. The model list of CmbG, the type-code
// table TipG and the lookups PvG / PdG are all derived from the one table in
// catalogue.cpp, so they cannot drift apart.
namespace catalogue {

// Mounting-type codes: Cyrillic capitals, not their Latin look-alikes.
inline constexpr char16_t CeilingCode = u'П';    // U+041F
inline constexpr char16_t WallCode = u'Н';       // U+041D
inline constexpr char16_t RoundHornCode = u'Р';  // U+0420
inline constexpr char16_t SquareHornCode = u'К'; // U+041A

struct Model {
    const char16_t *designation;
    char16_t typeCode;
    std::int16_t ratedPower;  // W
    std::int16_t sensitivity; // dB at 1 W, 1 m
};

inline constexpr int ModelCount = 24;
inline constexpr int TipGSlots = 34;

// The 24 models in list order.
const std::array<Model, ModelCount> &models();

// The closing list entry: a loudspeaker outside the catalogue.
QString otherEntry();

// The list of CmbG: the designations in catalogue order, then "ПРОЧИЕ".
QStringList listEntries();

// TipG: slot k holds the type code of list entry k; slot 24 ("ПРОЧИЕ")
// holds "П", slots 25 to 33 stay empty.
std::array<QString, TipGSlots> typeCodeTable();

// Rated power and sensitivity of the model whose designation equals the
// text code unit by code unit; no value for anything else.
std::optional<std::int16_t> pvG(QStringView designation);
std::optional<std::int16_t> pdG(QStringView designation);

} // namespace catalogue
