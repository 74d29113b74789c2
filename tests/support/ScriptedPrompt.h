#pragma once
// A Prompt for tests: records every message and question, answers from a script.

#include "widgets/Prompt.h"

#include <QList>
#include <QStringList>

class ScriptedPrompt : public Prompt
{
public:
    // Everything shown, in order: messages and questions alike.
    QStringList shown;
    // Answers to confirm(), taken in order; when empty, the answer is No.
    QList<bool> confirmAnswers;
    // Answers to inputText(); std::nullopt stands for Cancel; when empty, Cancel.
    QList<std::optional<QString>> inputAnswers;
    // Answers to the file dialogs; when empty, cancelled.
    QStringList fileAnswers;

    void message(QWidget *parent, const QString &text, Icon icon = Icon::Information) override;
    bool confirm(QWidget *parent, const QString &question, const QString &title = {}) override;
    // The caption of the last question asked.
    QString lastTitle;
    std::optional<QString> inputText(QWidget *parent, const QString &title, const QString &label,
                                     const QString &initial = {}, bool password = false) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;

    QString last() const { return shown.isEmpty() ? QString() : shown.back(); }
};
