#include "planimportdialog.h"

#include "dxfplan.h"

#include "widgets/accessibility.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace project {

namespace {

// The units a plan may be in, as the list shows them, in the file's keys.
struct UnitEntry {
    const char16_t *caption;
    PlanUnit unit;
};
constexpr UnitEntry Units[] = {
    {u"мм", PlanUnit::Millimetre}, {u"см", PlanUnit::Centimetre}, {u"м", PlanUnit::Metre},
    {u"дюймы", PlanUnit::Inch},    {u"футы", PlanUnit::Foot},
};

} // namespace

PlanImportDialog::PlanImportDialog(const QString &floor, const QString &height, const QString &folder,
                                   QWidget *parent)
    : QDialog(parent),
      m_folder(folder)
{
    setWindowTitle(QStringLiteral("Импорт плана DXF"));
    m_file = new QLineEdit(this);
    m_file->setMinimumWidth(360);
    auto *browseButton = new QPushButton(QStringLiteral("Обзор…"), this);
    a11y::setFieldName(browseButton, QStringLiteral("Обзор…"));
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browseButton);

    m_floor = new QLineEdit(floor, this);
    m_layer = new QComboBox(this);
    m_unit = new QComboBox(this);
    for (const UnitEntry &entry : Units)
        m_unit->addItem(QString::fromUtf16(entry.caption), unitKey(entry.unit));
    m_height = new QLineEdit(height, this);
    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    a11y::describeValue(m_note, QStringLiteral("План"));

    auto *form = new QFormLayout;
    form->addRow(a11y::captionFor(m_file, QStringLiteral("Файл плана")), fileRow);
    form->addRow(QString(), m_note);
    form->addRow(a11y::captionFor(m_floor, QStringLiteral("Этаж")), m_floor);
    form->addRow(a11y::captionFor(m_layer, QStringLiteral("Слой помещений")), m_layer);
    form->addRow(a11y::captionFor(m_unit, QStringLiteral("Единицы плана")), m_unit);
    form->addRow(a11y::captionFor(m_height, QStringLiteral("Высота потолка, м")), m_height);

    m_buttons = new QDialogButtonBox(this);
    m_ok = m_buttons->addButton(QStringLiteral("Импорт"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = m_buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    a11y::setFieldName(m_ok, m_ok->text());
    a11y::setFieldName(cancel, cancel->text());
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_buttons);

    connect(browseButton, &QPushButton::clicked, this, &PlanImportDialog::browse);
    connect(m_file, &QLineEdit::editingFinished, this, [this] {
        if (m_file->isModified())
            setFile(m_file->text());
    });
    connect(m_floor, &QLineEdit::textChanged, this, &PlanImportDialog::updateOk);
    connect(m_height, &QLineEdit::textChanged, this, &PlanImportDialog::updateOk);
    m_layer->setEnabled(false);
    m_unit->setEnabled(false);
    updateOk();
}

void PlanImportDialog::browse()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("План этажа"), m_folder,
                                                      QStringLiteral("Чертеж DXF (*.dxf *.DXF)"));
    if (!path.isEmpty())
        setFile(path);
}

bool PlanImportDialog::setFile(const QString &path)
{
    m_file->setText(QDir::toNativeSeparators(path));
    m_file->setModified(false);
    m_layer->clear();
    m_fileRead = false;
    const PlanReading reading = readFloorPlan(path, PlanReadOptions{});
    if (!reading.plan) {
        m_note->setText(reading.refusal);
        m_layer->setEnabled(false);
        m_unit->setEnabled(false);
        updateOk();
        return false;
    }
    const FloorPlanFile &plan = *reading.plan;
    // The layers with closed outlines, most first; the rest after them.
    std::vector<PlanLayer> layers = plan.layers;
    std::stable_sort(layers.begin(), layers.end(), [](const PlanLayer &a, const PlanLayer &b) {
        return a.closedOutlines > b.closedOutlines;
    });
    for (const PlanLayer &layer : layers)
        m_layer->addItem(QStringLiteral("%1 (%2)").arg(layer.name).arg(layer.closedOutlines), layer.name);
    m_layer->setCurrentIndex(std::max(0, m_layer->findData(plan.layer)));
    m_layer->setEnabled(m_layer->count() > 0);
    if (plan.namedUnit) {
        m_unit->setCurrentIndex(m_unit->findData(unitKey(*plan.namedUnit)));
        m_unit->setEnabled(false);
        m_note->setText(QStringLiteral("Единицы плана указаны в файле."));
    } else {
        m_unit->setEnabled(true);
        m_note->setText(QStringLiteral("В файле не указаны единицы: выберите их."));
    }
    m_fileRead = true;
    updateOk();
    return true;
}

void PlanImportDialog::updateOk()
{
    const bool ready = m_fileRead && m_layer->count() > 0 && !m_floor->text().trimmed().isEmpty()
        && !m_height->text().trimmed().isEmpty();
    m_ok->setEnabled(ready);
}

PlanImportChoice PlanImportDialog::choice() const
{
    PlanImportChoice choice;
    choice.file = QDir::fromNativeSeparators(m_file->text());
    choice.floor = m_floor->text().trimmed();
    choice.layer = m_layer->currentData().toString();
    choice.unit = m_unit->currentData().toString();
    choice.height = m_height->text().trimmed();
    return choice;
}

} // namespace project
