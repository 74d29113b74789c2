#pragma once
// Closes (rejects) every modal dialog that a test's action opens, recording its caption,
// so that a test can click through a window that opens screens with exec().

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <functional>

class QDialog;

class ModalCloser : public QObject
{
    Q_OBJECT

public:
    // act, when given, runs on each dialog before it is rejected (unless act closes it).
    explicit ModalCloser(std::function<void(QDialog *)> act = {});

    QStringList captions;

private:
    void check();

    QTimer m_timer;
    QSet<QDialog *> m_handled; // dialogs being acted on
    std::function<void(QDialog *)> m_act;
};
