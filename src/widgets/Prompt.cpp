#include "Prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

// The title of every message box.
QString caption()
{
    return QStringLiteral("管理系统");
}

} // namespace

void QtPrompt::message(QWidget *parent, const QString &text, Icon icon)
{
    switch (icon) {
    case Icon::Information:
        QMessageBox::information(parent, caption(), text);
        break;
    case Icon::Warning:
        QMessageBox::warning(parent, caption(), text);
        break;
    case Icon::Error:
        QMessageBox::critical(parent, caption(), text);
        break;
    }
}

bool QtPrompt::confirm(QWidget *parent, const QString &question, const QString &title)
{
    return QMessageBox::question(parent, title.isEmpty() ? caption() : title, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
           == QMessageBox::Yes;
}

std::optional<QString> QtPrompt::inputText(QWidget *parent, const QString &title, const QString &label,
                                           const QString &initial, bool password)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, label,
                                               password ? QLineEdit::Password : QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtPrompt::openFileName(QWidget *parent, const QString &caption, const QString &dir,
                               const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString QtPrompt::saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                               const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}
