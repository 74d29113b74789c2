#include "AboutUt.h"
#include "ui_AboutUt.h"

TAboutFm::TAboutFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAboutFm>())
{
    m_ui->setupUi(this);
    // No buttons on the title bar: "确定" closes it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    const StartupSettings &texts = ctx.session.settings();
    m_ui->softnameLabel->setText(texts.softname);
    m_ui->memoLabel->setText(texts.memo);
    m_ui->telLabel->setText(texts.tel);
    m_ui->webLabel->setText(texts.web);
    m_ui->companyLabel->setText(texts.company);
    connect(m_ui->okButton, &QPushButton::clicked, this, &TAboutFm::accept);
}

TAboutFm::~TAboutFm() = default;
