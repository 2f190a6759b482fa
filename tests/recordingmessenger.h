#pragma once

#include "widgets/messenger.h"

#include <QStringList>
#include <deque>

// Records every message and answers the question from a queue of answers
// (Cancel when the queue is empty), so no modal box ever opens in a test.
class RecordingMessenger : public Messenger {
public:
    struct Shown {
        QString text;
        QString title;
        bool question;
    };

    void inform(const QString &text, const QString &title = QString()) override
    {
        shown.push_back({text, title, false});
    }

    Answer ask(const QString &text, const QString &title) override
    {
        shown.push_back({text, title, true});
        if (answers.empty())
            return Answer::Cancel;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QStringList texts() const
    {
        QStringList list;
        for (const Shown &s : shown)
            list << s.text;
        return list;
    }

    std::vector<Shown> shown;
    std::deque<Answer> answers;
};
