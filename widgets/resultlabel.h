#pragma once

#include <QLabel>

// A result label: bold, framed, empty until there is a result. A figure
// is never shown cut: where it is wider than the box, the font shrinks
// within the box, and where even the smallest font is too wide, the shown
// text ends in "…". The label's text, its accessible name and its tooltip
// always carry the whole figure.
class ResultLabel : public QLabel {
    Q_OBJECT
public:
    ResultLabel(QWidget *parent, const char *name, double points);

    // The font and text the label paints now: the designed font when the
    // figure fits, else the largest smaller one that fits, else the
    // smallest with the figure elided.
    QFont shownFont() const;
    QString shownText() const;

    // The smallest font size a figure shrinks to before it is elided.
    static constexpr double SmallestPoints = 6.0;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Fitted {
        QFont font;
        QString text;
    };
    Fitted fitted() const;
};

// A result label, as the groups create it.
QLabel *resultLabel(QWidget *parent, const char *name, double points);
