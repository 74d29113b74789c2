#include "ModalCloser.h"

#include <QApplication>
#include <QDialog>

ModalCloser::ModalCloser(std::function<void(QDialog *)> act) : m_act(std::move(act))
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &ModalCloser::check);
    m_timer.start();
}

void ModalCloser::check()
{
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible())
        return;
    captions.append(dialog->windowTitle());
    if (m_act)
        m_act(dialog);
    if (dialog->isVisible())
        dialog->reject();
}
