#pragma once
// The member register: search, enrol, change, delete (never a member who still holds money),
// recharge and the printed member list.

#include "widgets/ListScreen.h"

class TMemberFm : public ListScreen
{
    Q_OBJECT

public:
    explicit TMemberFm(const ScreenContext &ctx, QWidget *parent = nullptr);

    static ListSpec declaration();
};
