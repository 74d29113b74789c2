#pragma once
// The item dialog: changes one item of the catalogue ("修改项目"); TAddXmFm (AddXmUt.h) is the
// same dialog adding one. "保存" writes, "取消" and the close box leave without writing.

#include "setup/Catalogue.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>
#include <optional>

class RecordForm;

namespace Ui {
class TXmEditFm;
}

class TXmEditFm : public QDialog
{
    Q_OBJECT

public:
    TXmEditFm(const ScreenContext &ctx, qint64 rowNumber, QWidget *parent = nullptr);
    ~TXmEditFm() override;

    // The row written by the last "保存"; nothing before.
    std::optional<qint64> savedRow() const { return m_saved; }

    // For the list screen's editor: adds without a row number, else changes; true when written.
    static bool edit(const ScreenContext &ctx, QWidget *parent, std::optional<qint64> rowNumber);

protected:
    // A new item without a row number.
    TXmEditFm(const ScreenContext &ctx, std::optional<qint64> rowNumber, QWidget *parent);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void save();

    std::unique_ptr<Ui::TXmEditFm> m_ui;
    ScreenContext m_ctx;
    Catalogue m_rules;
    RecordForm *m_form = nullptr;
    std::optional<qint64> m_row;
    std::optional<qint64> m_saved;
};
