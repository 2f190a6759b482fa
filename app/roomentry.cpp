#include "roomentry.h"

#include "app/mainwindow.h"
#include "app/roomevaluation.h"
#include "catalogue/loudspeakergroup.h"
#include "room/manualsettingsgroup.h"
#include "room/roomgroup.h"
#include "room/roomtypes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

namespace {

// A choice from a combo's list, as a click on the entry makes it.
template <typename Group>
void choose(QComboBox *combo, int index, Group *group, void (Group::*handler)(int))
{
    combo->setCurrentIndex(index);
    (group->*handler)(index);
}

QRadioButton *mountingOption(LoudspeakerGroup &group, calc::Mounting mounting)
{
    switch (mounting) {
    case calc::Mounting::Ceiling: return group.opt1;
    case calc::Mounting::Wall: return group.opt2;
    case calc::Mounting::RoundHorn: return group.opt3;
    case calc::Mounting::SquareHorn: break;
    }
    return group.opt4;
}

void enterLoudspeaker(LoudspeakerGroup &group, const project::RoomInputs &room)
{
    QComboBox *models = group.cmbG;
    const int other = models->count() - 1;
    if (room.modelFromList && catalogueMounting(room.model)) {
        choose(models, models->findText(room.model, Qt::MatchExactly | Qt::MatchCaseSensitive), &group,
               &LoudspeakerGroup::cmbG_Click);
    } else {
        choose(models, other, &group, &LoudspeakerGroup::cmbG_Click);
        models->setEditText(room.model);
        group.txtPv->setText(room.power);
        group.txtPd->setText(room.sensitivity);
        mountingOption(group, room.mounting)->setChecked(true);
    }
    group.opt_1[std::size_t(room.tap)]->setChecked(true);
}

void enterRoomType(RoomGroup &group, const project::RoomInputs &room)
{
    QComboBox *types = group.cmbOn;
    if (listedNoise(room.roomType)) {
        choose(types, types->findText(room.roomType, Qt::MatchExactly | Qt::MatchCaseSensitive), &group,
               &RoomGroup::cmbOn_Click);
    } else {
        choose(types, roomtypes::OtherIndex, &group, &RoomGroup::cmbOn_Click);
        types->setEditText(room.roomType);
        group.txtN->setText(room.noise);
    }
}

} // namespace

void enterRoom(MainWindow &window, const project::RoomInputs &room)
{
    enterLoudspeaker(*window.frame3, room);
    enterRoomType(*window.frame4, room);
    // The directivity first: the round horn copies it into the vertical one.
    ManualSettingsGroup &settings = *window.frame7;
    settings.cmbGn->setEditText(room.directivity);
    settings.cmbDv->setEditText(room.verticalDirectivity);
    settings.cmbUN->setEditText(room.tilt);
    settings.cmbUPS->setEditText(room.margin);
    settings.cmbVP->setEditText(room.listeningHeight);
    RoomGroup &sizes = *window.frame4;
    sizes.txtH->setText(room.height);
    sizes.txtL->setText(room.length);
    sizes.txtW->setText(room.width);
    sizes.txtSR->setText(room.area);
    // The area comes from the sides when the room says so, as after typing
    // a side; the typed area stays otherwise.
    window.timer1->stop();
    window.state().areaFromLW = room.areaFromSides;
    window.cmdRkl_Click();
}
