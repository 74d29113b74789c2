#pragma once
// Every message box, yes/no question, input box and file dialog of the program goes
// through this seam: the program shows Qt's dialogs, tests script the answers.

#include <QString>
#include <optional>

class QWidget;

class Prompt
{
public:
    enum class Icon { Information, Warning, Error };

    virtual ~Prompt() = default;

    virtual void message(QWidget *parent, const QString &text, Icon icon = Icon::Information) = 0;
    // A question with the buttons Yes and No; true for Yes. Closing the box is No.
    // The box is captioned with the title, or with the application's name when empty.
    virtual bool confirm(QWidget *parent, const QString &question, const QString &title = {}) = 0;
    // A one-line input box; nothing when cancelled.
    virtual std::optional<QString> inputText(QWidget *parent, const QString &title, const QString &label,
                                             const QString &initial = {}, bool password = false) = 0;
    // File dialogs; an empty text when cancelled.
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;
};

// The real dialogs, captioned with the application's title.
class QtPrompt : public Prompt
{
public:
    void message(QWidget *parent, const QString &text, Icon icon = Icon::Information) override;
    bool confirm(QWidget *parent, const QString &question, const QString &title = {}) override;
    std::optional<QString> inputText(QWidget *parent, const QString &title, const QString &label,
                                     const QString &initial = {}, bool password = false) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
};
