#pragma once

#include "project/roomcalculator.h"

#include "calc/calculation.h"
#include "study/roomstudy.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <optional>

// The calculation of a project's rooms and lines for the project window,
// which knows none of its parts: the catalogue and the room types put a
// room's texts as the main window would hold them, the study of the room
// (study::studyRoom) computes its figures, and the "Линия" window's
// formulas those of its lines.
//
// The fitted counts it computes are kept (by the room's inputs, layout and
// target share), so that a room's fit is computed once however many times
// its results, its level figures and the fit command ask for it.
class RoomEvaluation : public project::RoomCalculator {
public:
    project::RoomResults evaluate(const project::RoomInputs &inputs, const QString &layout,
                                  const project::PlanChoice &plan = {}) const override;
    project::RoomLevels evaluateLevels(const project::RoomInputs &inputs, const QString &layout,
                                       const project::RoomSurfaces &surfaces,
                                       const std::atomic<bool> *cancel = nullptr,
                                       const project::PlanChoice &plan = {}) const override;
    project::LevelFit fitLevel(const project::RoomInputs &inputs, const QString &layout, double targetShare,
                               const std::atomic<bool> *cancel = nullptr) const override;
    project::LineResults evaluateLine(const project::LineLoad &line, QChar decimalPoint) const override;
    QStringList layouts(calc::Mounting mounting) const override;
    project::RoomDrawing roomDrawing(const project::RoomInputs &inputs, const QString &layout,
                                     const project::PlanChoice &plan = {}) const override;
    std::vector<project::ListedRoomType> roomTypes() const override;

    // The request of the room's plan with the count plan asks for; fit is
    // the fitted count where the plan asks for it.
    study::RoomRequest planRequest(const project::RoomInputs &inputs, const QString &layout,
                                   const project::PlanChoice &plan, project::LevelFit &fit,
                                   const std::atomic<bool> *cancel = nullptr) const;

private:
    mutable QMutex m_fitsLock;
    mutable QHash<QByteArray, project::LevelFit> m_fits;
};

// The intelligibility figures of a studied room's layout with the surfaces
// (RoomLevels::stiMean, stiShare and reverberation), put into levels; none
// where the room has no layout, the map cannot be computed or cancel became
// true.
void roomIntelligibility(const study::RoomStudy &room, const project::RoomSurfaces &surfaces,
                         const std::atomic<bool> *cancel, project::RoomLevels &levels);

// What CALCULATE reads for a room, as the main window holds it once the
// room has been entered: a catalogue model's power, sensitivity and
// mounting type, a listed room type's noise, the room's own texts
// otherwise.
calc::CalcInputs calculationInputs(const project::RoomInputs &inputs, QChar decimalPoint);

// The mounting type of a catalogue model; none for any other text.
std::optional<calc::Mounting> catalogueMounting(const QString &model);

// The noise of a listed room type ("ПРОЧИЕ" is not one: it has the room's
// own noise); none for any other text.
std::optional<int> listedNoise(const QString &roomType);

// The main window's inputs as it starts, before the user changes any: the
// template of the rooms a plan brings into a project that has none.
project::RoomInputs startupRoomInputs();

// The request that studies a room in its layout: the texts CALCULATE
// reads once the room is entered (calculationInputs), its outline's shape
// where it has one.
study::RoomRequest studyRequest(const project::RoomInputs &inputs, const QString &layout);
