// Renders the "Линия" window, filled with a ten-loudspeaker 100 V line and
// the calculation the program makes at start-up, into a PNG.
// Usage: line-screenshot <file.png>
// The numbers follow the locale of the environment (LANG), so
// LANG=C gives "." and LANG=ru_RU.UTF-8 gives "," as the decimal separator.
#include "line/linewindow.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: line-screenshot <file.png>\n");
        return 2;
    }
    LineWindow window;
    window.setStartValues(10, 6);

    line::CalculationFigures startUp;
    startUp.completed = true;
    startUp.count = 10;
    startUp.tappedPower = 6;
    startUp.splTotal = 95;
    startUp.noise = 70;
    startUp.margin = 10;
    startUp.mounting = calc::Mounting::Wall;
    startUp.mountH = 3;
    startUp.dropH = 1.5;
    window.showCalculation(startUp);

    window.show();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
