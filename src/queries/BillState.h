#pragma once
// The words a checkout record and its details carry in 状态.

#include <QString>

namespace BillState {

inline const QString Settled = QStringLiteral("已结"); // paid: counts in every figure
inline const QString Free = QStringLiteral("免单");    // settled free of charge: in no figure

} // namespace BillState
