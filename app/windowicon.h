#pragma once

#include <QIcon>

// The window's own icon: a loudspeaker with two sound waves, drawn at 32 x 32.
QIcon makeWindowIcon();
