#include "ModalCloser.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

ModalCloser::ModalCloser(std::function<void(QDialog *)> act) : m_act(std::move(act))
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &ModalCloser::check);
    m_timer.start();
}

void ModalCloser::check()
{
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible() || m_handled.contains(dialog))
        return;
    m_handled.insert(dialog);
    captions.append(dialog->windowTitle());
    // Acted on from a timer of its own: a screen may open another one, and this timer
    // must stay free to see it (Qt does not fire a timer inside its own timeout).
    QPointer<QDialog> guarded(dialog);
    QTimer::singleShot(0, this, [this, guarded, dialog] {
        if (guarded && m_act)
            m_act(guarded);
        if (guarded && guarded->isVisible())
            guarded->reject();
        m_handled.remove(dialog); // only compared, never used: it may be gone
    });
}
