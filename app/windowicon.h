#pragma once

#include <QIcon>
#include <QImage>

// The program's icon: a loudspeaker with two sound waves, drawn at 32 x 32.
// Drawn onto an image, so that it needs no display: the build writes the
// same picture into the 32 x 32 PNG that the desktop installation carries.
QImage makeWindowIconImage();

// The window's own icon, made from that image.
QIcon makeWindowIcon();
