#pragma once

#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>

// Edits a cell by choosing one of a list of texts in a combo box (the
// room's line among the project's lines, a line's voltage). The cell's
// own text is offered too when it is not in the list, so that opening the
// editor changes nothing. An editable one takes a typed text as well (the
// count on a room's plan: a choice or a number).
class ChoiceDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using Choices = std::function<QStringList()>;

    ChoiceDelegate(Choices choices, QString accessibleName, QObject *parent = nullptr, bool editable = false);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    Choices m_choices;
    QString m_accessibleName;
    bool m_editable = false;
};
