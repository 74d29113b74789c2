#pragma once
// The catalogue of services and goods: search, add, change, delete and the printed item list.

#include "widgets/ListScreen.h"

class TXmFm : public ListScreen
{
    Q_OBJECT

public:
    explicit TXmFm(const ScreenContext &ctx, QWidget *parent = nullptr);

    static ListSpec declaration();
};
