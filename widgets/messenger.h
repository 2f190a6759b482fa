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

    // The modal question with a question icon and the buttons Yes and No,
    // No the default, for a step that cannot be undone (replacing a file);
    // Escape or closing the box answers No. True for Yes. Messengers that
    // only record and answer questions may leave it to ask().
    virtual bool confirm(const QString &text, const QString &title)
    {
        return ask(text, title) == Answer::Yes;
    }
};

// The real message boxes.
class MessageBoxMessenger : public Messenger {
public:
    explicit MessageBoxMessenger(QWidget *parent) : m_parent(parent) { }
    void inform(const QString &text, const QString &title = QString()) override;
    Answer ask(const QString &text, const QString &title) override;
    bool confirm(const QString &text, const QString &title) override;

private:
    QWidget *m_parent;
};
