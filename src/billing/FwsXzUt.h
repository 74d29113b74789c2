#pragma once
// The waiter picker that adding a line opens for an item that needs service: the operator finds
// the waiter by name or number and chooses, cancels the line, or closes the window to keep it.

#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

class Statement;

namespace Ui {
class TFwsXzFm;
}

class TFwsXzFm : public QDialog
{
    Q_OBJECT

public:
    enum class Outcome
    {
        Chosen,    // "选择": the waiter below serves the line
        Cancelled, // "取消": the line is dropped
        Closed,    // the window's close box: the line keeps the operator as waiter
    };

    explicit TFwsXzFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TFwsXzFm() override;

    Outcome outcome() const { return m_outcome; }
    // The chosen waiter; empty when nothing was chosen or the list was empty.
    const QString &waiterNumber() const { return m_number; }
    const QString &waiterName() const { return m_name; }

    // Escape cancels, as "取消" does; the close box goes through here too, as Closed.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void run(const Statement &statement);
    void showAll();
    void findByName();
    void findByNumber();
    void choose();

    std::unique_ptr<Ui::TFwsXzFm> m_ui;
    ScreenContext m_ctx;
    Outcome m_outcome = Outcome::Closed;
    bool m_closeBox = false;
    QString m_number;
    QString m_name;
};
