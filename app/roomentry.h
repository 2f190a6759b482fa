#pragma once

#include "project/projectdata.h"

class MainWindow;

// "Открыть в расчете": enters a project room's inputs into the main window
// as a user chooses and types them, then runs CALCULATE: a catalogue model
// that was chosen from the list is chosen from it again; any other model,
// a catalogue designation that was typed included, is typed after
// "ПРОЧИЕ" with the room's power, sensitivity and mounting type. A listed
// room type is chosen from its list, any other typed after "ПРОЧИЕ" with
// the room's noise; the tap is selected, the settings and sizes typed.
void enterRoom(MainWindow &window, const project::RoomInputs &room);
