#include "messenger.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

QString titleOrApplication(const QString &title)
{
    return title.isEmpty() ? ApplicationTitle : title;
}

} // namespace

void MessageBoxMessenger::inform(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, titleOrApplication(title), text, QMessageBox::Ok, m_parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("ОК"));
    box.exec();
}

Messenger::Answer MessageBoxMessenger::ask(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Question, titleOrApplication(title), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

Messenger::Answer MessageBoxMessenger::askYesNo(const QString &text, const QString &title,
                                                Answer defaultAnswer)
{
    QMessageBox box(QMessageBox::Question, titleOrApplication(title), text,
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.setDefaultButton(defaultAnswer == Answer::No ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
