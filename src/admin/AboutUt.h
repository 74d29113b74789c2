#pragma once
// "关于": the product texts read from system.ini at start.

#include "widgets/ScreenContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutFm;
}

class TAboutFm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutFm(const ScreenContext &ctx, QWidget *parent = nullptr);
    ~TAboutFm() override;

private:
    std::unique_ptr<Ui::TAboutFm> m_ui;
};
