#pragma once
// The screen that opens a bill on the board's selected free tag, alone or with further free tags
// of the same room type as one group bill.

#include "billing/OpenBill.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

class QListWidgetItem;
class QTreeWidgetItem;

namespace Ui {
class TOpenDanFm;
}

class TOpenDanFm : public QDialog
{
    Q_OBJECT

public:
    // exec() gives Accepted once the bill is opened, Rejected when the operator left without one.
    TOpenDanFm(const ScreenContext &ctx, const QString &masterTag, const QString &roomType,
               QWidget *parent = nullptr);
    ~TOpenDanFm() override;

    // The bill's tags as listed, the master first.
    QStringList billTags() const;
    QStringList freeTags() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void load();
    void reloadFreeTags();
    void join(QListWidgetItem *item);
    void leave(QTreeWidgetItem *item);
    void joinSelected();
    void leaveSelected();
    void addFree(const QString &tag);
    void addToBill(const QString &tag);
    void openBill();

    std::unique_ptr<Ui::TOpenDanFm> m_ui;
    ScreenContext m_ctx;
    QString m_master;
    QString m_roomType;
    OpenBill::RoomCharges m_charges;
};
