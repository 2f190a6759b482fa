#pragma once

#include "app/mainwindow.h"
#include "catalogue/loudspeakergroup.h"
#include "output/attenuationgroup.h"
#include "output/resultsgroup.h"
#include "room/manualsettingsgroup.h"
#include "room/roomgroup.h"

#include <QAction>
#include <QGroupBox>
#include <QTimer>

// The main window's groups, menu items and area timer as the tests reach
// them: by their object names in the window's tree of children (the names
// the window has always given them), so that the window keeps its members
// to itself. A missing part stops the test program at once.
namespace windowparts {

template <typename Part>
Part *find(const MainWindow &window, const char *name)
{
    Part *part = window.findChild<Part *>(QLatin1String(name));
    if (!part)
        qFatal("the main window has no %s", name);
    return part;
}

} // namespace windowparts

inline QGroupBox *frame1(const MainWindow &w)
{
    return windowparts::find<QGroupBox>(w, "Frame1");
}
inline ResultsGroup *frame2(const MainWindow &w)
{
    return windowparts::find<ResultsGroup>(w, "Frame2");
}
inline LoudspeakerGroup *frame3(const MainWindow &w)
{
    return windowparts::find<LoudspeakerGroup>(w, "Frame3");
}
inline RoomGroup *frame4(const MainWindow &w)
{
    return windowparts::find<RoomGroup>(w, "Frame4");
}
inline AttenuationGroup *frame5(const MainWindow &w)
{
    return windowparts::find<AttenuationGroup>(w, "Frame5");
}
inline ManualSettingsGroup *frame7(const MainWindow &w)
{
    return windowparts::find<ManualSettingsGroup>(w, "Frame7");
}
inline QTimer *timer1(const MainWindow &w)
{
    return windowparts::find<QTimer>(w, "Timer1");
}
inline QAction *mopr(const MainWindow &w)
{
    return windowparts::find<QAction>(w, "Mopr");
}
inline QAction *mvix(const MainWindow &w)
{
    return windowparts::find<QAction>(w, "Mvix");
}
inline QAction *mline(const MainWindow &w)
{
    return windowparts::find<QAction>(w, "Mline");
}
inline QAction *mplan(const MainWindow &w)
{
    return windowparts::find<QAction>(w, "Mplan");
}
inline QAction *mproject(const MainWindow &w)
{
    return windowparts::find<QAction>(w, "Mproject");
}
