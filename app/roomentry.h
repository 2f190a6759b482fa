#pragma once

#include "project/projectdata.h"

class MainWindow;

// "Открыть в расчете": enters a project room's inputs into the main window
// as a user chooses and types them (a catalogue model or room type chosen
// from its list, anything else as "ПРОЧИЕ" with the room's own texts, the
// mounting type and tap selected, the settings and sizes typed), then runs
// CALCULATE.
void enterRoom(MainWindow &window, const project::RoomInputs &room);
