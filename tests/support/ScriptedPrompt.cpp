#include "ScriptedPrompt.h"

void ScriptedPrompt::message(QWidget *, const QString &text, Icon)
{
    shown.append(text);
}

bool ScriptedPrompt::confirm(QWidget *, const QString &question, const QString &title)
{
    shown.append(question);
    lastTitle = title;
    return confirmAnswers.isEmpty() ? false : confirmAnswers.takeFirst();
}

std::optional<QString> ScriptedPrompt::inputText(QWidget *, const QString &, const QString &label,
                                                 const QString &, bool)
{
    shown.append(label);
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.takeFirst();
}

QString ScriptedPrompt::openFileName(QWidget *, const QString &caption, const QString &, const QString &)
{
    shown.append(caption);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedPrompt::saveFileName(QWidget *, const QString &caption, const QString &, const QString &)
{
    shown.append(caption);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}
