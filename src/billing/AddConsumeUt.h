#pragma once
// The screen that adds services and goods to an occupied tag as consumption lines, with the
// waiter who served when the item needs service, and deletes lines again.

#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TAddConsumeFm;
}

class TAddConsumeFm : public QDialog
{
    Q_OBJECT

public:
    TAddConsumeFm(const ScreenContext &ctx, const QString &tag, QWidget *parent = nullptr);
    ~TAddConsumeFm() override;

    // The master tag of the tag's open bill, as read on show.
    const QString &master() const { return m_master; }

protected:
    void showEvent(QShowEvent *event) override;
    // Escape deletes the current line, as "删除" does; the screen closes by "关闭" or its close box.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void load();
    void reloadLines();
    void search();
    void addLine();
    void deleteLine();

    std::unique_ptr<Ui::TAddConsumeFm> m_ui;
    ScreenContext m_ctx;
    QString m_tag;
    QString m_master;
};
