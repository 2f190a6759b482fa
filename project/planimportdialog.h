#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace project {

// What the user chose to import: the plan's file, the floor its rooms go
// to, the layer of their outlines, the unit of a plan that names none
// ("mm", "cm", "m", "in", "ft") and the ceiling height of the new rooms.
struct PlanImportChoice {
    QString file;
    QString floor;
    QString layer;
    QString unit;
    QString height;
};

// "Импорт плана DXF": the file, the floor, the layer of the room outlines
// (each with the number of closed outlines on it, the one with most chosen
// first), the unit where the file names none, and the ceiling height.
class PlanImportDialog : public QDialog {
    Q_OBJECT
public:
    PlanImportDialog(const QString &floor, const QString &height, const QString &folder,
                     QWidget *parent = nullptr);

    // Reads the file's layers and unit into the dialog; false, with the
    // reason under the file, when it cannot be read.
    bool setFile(const QString &path);
    PlanImportChoice choice() const;

    QLineEdit *fileBox() const { return m_file; }
    QLineEdit *floorBox() const { return m_floor; }
    QComboBox *layerBox() const { return m_layer; }
    QComboBox *unitBox() const { return m_unit; }
    QLineEdit *heightBox() const { return m_height; }
    QLabel *noteLabel() const { return m_note; }
    QPushButton *importButton() const { return m_ok; }

private:
    void browse();
    void updateOk();

    QString m_folder;
    QLineEdit *m_file;
    QLineEdit *m_floor;
    QComboBox *m_layer;
    QComboBox *m_unit;
    QLineEdit *m_height;
    QLabel *m_note;
    QDialogButtonBox *m_buttons;
    QPushButton *m_ok;
    bool m_fileRead = false;
};

} // namespace project
