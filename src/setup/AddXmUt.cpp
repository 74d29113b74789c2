#include "AddXmUt.h"

TAddXmFm::TAddXmFm(const ScreenContext &ctx, QWidget *parent) : TXmEditFm(ctx, std::nullopt, parent) {}
