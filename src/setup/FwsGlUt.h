#pragma once
// The waiters list: search, add, change, delete and the printed waiter list.

#include "widgets/ListScreen.h"

class TFwsGlFm : public ListScreen
{
    Q_OBJECT

public:
    explicit TFwsGlFm(const ScreenContext &ctx, QWidget *parent = nullptr);

    static ListSpec declaration();
};
