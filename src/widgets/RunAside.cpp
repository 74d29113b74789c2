#include "RunAside.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>

#include <exception>
#include <memory>

void runAside(QWidget *parent, const QString &text, const std::function<void()> &work)
{
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QProgressDialog waiting(text, QString(), 0, 0, parent); // no cancel button, a busy bar
    waiting.setWindowTitle(QStringLiteral("请稍候"));
    waiting.setWindowModality(Qt::ApplicationModal);
    waiting.setMinimumDuration(0);
    waiting.setAutoClose(false);
    waiting.setAutoReset(false);
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    waiting.show();
    if (!thread->isFinished())
        loop.exec();
    thread->wait();
    waiting.hide();
    if (failure)
        std::rethrow_exception(failure);
}
