#pragma once
// The waiter dialog: a new waiter, or the changes to one, written by "保存"; "退出" and the
// window's close box leave without writing.

#include "setup/Waiters.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>
#include <optional>

class RecordForm;

namespace Ui {
class TFwsEditFm;
}

class TFwsEditFm : public QDialog
{
    Q_OBJECT

public:
    // A new waiter without a row number, else the waiter with that one.
    TFwsEditFm(const ScreenContext &ctx, std::optional<qint64> rowNumber, QWidget *parent = nullptr);
    ~TFwsEditFm() override;

    // The row written by the last "保存"; nothing before.
    std::optional<qint64> savedRow() const { return m_saved; }

    // For the list screen's editor: true when a waiter was written.
    static bool edit(const ScreenContext &ctx, QWidget *parent, std::optional<qint64> rowNumber);

private:
    void save();

    std::unique_ptr<Ui::TFwsEditFm> m_ui;
    ScreenContext m_ctx;
    Waiters m_rules;
    RecordForm *m_form = nullptr;
    std::optional<qint64> m_row;
    std::optional<qint64> m_saved;
};
