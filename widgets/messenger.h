#pragma once

#include <QString>

class QWidget;

// The title of every message box that has no title of its own.
inline const QString ApplicationTitle = QStringLiteral("Расчет громкоговорителей");

// Every message of the program goes through one Messenger, so that tests can
// read the messages and answer the question.
class Messenger {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Messenger() = default;

    // A modal message with an OK button only and no icon. An empty title
    // shows the application's title.
    virtual void inform(const QString &text, const QString &title = QString()) = 0;

    // The modal question with a question icon and the buttons Yes, No and
    // Cancel, Yes the default; Escape or closing the box answers Cancel.
    virtual Answer ask(const QString &text, const QString &title) = 0;

    // The modal question with a question icon and the buttons Yes and No;
    // Escape or closing the box answers No. defaultAnswer is the default
    // button: No before a step that cannot be undone (replacing a file). A
    // messenger without a box of its own answers through ask(), Cancel
    // taken as No.
    virtual Answer askYesNo(const QString &text, const QString &title, Answer defaultAnswer = Answer::Yes)
    {
        Q_UNUSED(defaultAnswer);
        return ask(text, title) == Answer::Yes ? Answer::Yes : Answer::No;
    }

    // The question before a step that cannot be undone: askYesNo with No as
    // the default. True for Yes.
    bool confirm(const QString &text, const QString &title)
    {
        return askYesNo(text, title, Answer::No) == Answer::Yes;
    }
};

// The real message boxes.
class MessageBoxMessenger : public Messenger {
public:
    explicit MessageBoxMessenger(QWidget *parent) : m_parent(parent) { }
    void inform(const QString &text, const QString &title = QString()) override;
    Answer ask(const QString &text, const QString &title) override;
    Answer askYesNo(const QString &text, const QString &title, Answer defaultAnswer = Answer::Yes) override;

private:
    QWidget *m_parent;
};
