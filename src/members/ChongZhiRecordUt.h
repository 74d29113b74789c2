#pragma once
// The recharge records: search, the count and the sum of the amounts shown, the printed list.
// Records are the history of the balances and are neither changed nor deleted here.

#include "widgets/ListScreen.h"

class TChongZhiRecordFm : public ListScreen
{
    Q_OBJECT

public:
    explicit TChongZhiRecordFm(const ScreenContext &ctx, QWidget *parent = nullptr);

    static ListSpec declaration();
};
