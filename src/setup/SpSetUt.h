#pragma once
// The room types and hand tags of the venue ("手牌与包厢设置"): the room types above their tags,
// with the dialogs that add, change and delete them and add tags in numbered batches.

#include "setup/Tags.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>
#include <optional>

class DataGrid;

namespace Ui {
class TSpSetFm;
}

class TSpSetFm : public QDialog
{
    Q_OBJECT

public:
    explicit TSpSetFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TSpSetFm() override;

    DataGrid *roomTypeGrid() const;
    DataGrid *tagGrid() const;
    // The room type whose tags the tag list shows; empty when it shows all of them.
    const QString &shownRoomType() const { return m_roomType; }

    // Shows only the tags of the room type in that row of the room-type list (a click on it).
    void showTagsOfRow(int row);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void reload();
    void showTags(const QString &roomType);
    void refreshTags();
    // The current row's number in the grid, or nothing after saying there is none.
    std::optional<qint64> requireRow(DataGrid *grid);
    QString currentRoomType() const;
    // Runs a dialog; the lists are read again when it saved.
    void runDialog(QDialog &dialog, bool roomTypes);

    void addRoomType();
    void editRoomType();
    void deleteRoomType();
    void addTag();
    void addBatch();
    void editTag();
    void deleteTag();

    std::unique_ptr<Ui::TSpSetFm> m_ui;
    ScreenContext m_ctx;
    Tags m_rules;
    QString m_roomType;
};
