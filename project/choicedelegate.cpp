#include "choicedelegate.h"

#include <QComboBox>
#include <utility>

ChoiceDelegate::ChoiceDelegate(Choices choices, QString accessibleName, QObject *parent, bool editable)
    : QStyledItemDelegate(parent),
      m_choices(std::move(choices)),
      m_accessibleName(std::move(accessibleName)),
      m_editable(editable)
{ }

QWidget *ChoiceDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                      const QModelIndex &) const
{
    auto *box = new QComboBox(parent);
    box->setAccessibleName(m_accessibleName);
    box->addItems(m_choices());
    if (m_editable) {
        // A typed text is taken as it is, not added to the list.
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
    }
    // The choice is made as soon as it is picked, as a combo box in a form does.
    connect(box, &QComboBox::activated, this, [this, box] {
        emit const_cast<ChoiceDelegate *>(this)->commitData(box);
        emit const_cast<ChoiceDelegate *>(this)->closeEditor(box);
    });
    return box;
}

void ChoiceDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *box = static_cast<QComboBox *>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    int at = box->findText(text, Qt::MatchExactly);
    if (at < 0 && m_editable) {
        box->setEditText(text);
        return;
    }
    if (at < 0) {
        box->addItem(text);
        at = box->count() - 1;
    }
    box->setCurrentIndex(at);
}

void ChoiceDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    model->setData(index, static_cast<QComboBox *>(editor)->currentText(), Qt::EditRole);
}
