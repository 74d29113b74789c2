#pragma once
// The dialog that adds an item to the catalogue ("增加消费项目"): the item dialog with the new
// item's presets and the first item type chosen.

#include "setup/XmEditUt.h"

class TAddXmFm : public TXmEditFm
{
    Q_OBJECT

public:
    explicit TAddXmFm(const ScreenContext &ctx, QWidget *parent = nullptr);
};
