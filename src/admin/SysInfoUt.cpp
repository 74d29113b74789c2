#include "SysInfoUt.h"
#include "ui_SysInfoUt.h"

#include "session/ShopInfo.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"

using namespace Qt::StringLiterals;

TSysInfoFm::TSysInfoFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TSysInfoFm>()), m_ctx(ctx)
{
    m_ui->setupUi(this);
    // Closed through its buttons only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &TSysInfoFm::save);
    connect(m_ui->backButton, &QPushButton::clicked, this, &TSysInfoFm::reject);
    guard(m_ctx.prompt, this, [this] {
        const ShopInfo shop = ShopInfo::read(m_ctx.db);
        m_ui->nameEdit->setText(shop.name);
        m_ui->telEdit->setText(shop.tel);
        m_ui->addressEdit->setText(shop.address);
    });
}

TSysInfoFm::~TSysInfoFm() = default;

void TSysInfoFm::save()
{
    const ShopInfo shop{m_ui->nameEdit->text(), m_ui->telEdit->text(), m_ui->addressEdit->text()};
    const auto focusBox = [this](const QString &column) {
        QLineEdit *box = column == u"name"_s  ? m_ui->nameEdit
                         : column == u"tel"_s ? m_ui->telEdit
                                              : m_ui->addressEdit;
        box->setFocus();
    };
    if (!guard(
            m_ctx.prompt, this, [&] { shop.save(m_ctx.db); }, focusBox))
        return;
    m_ctx.prompt.message(this, u"重启软件后生效！"_s);
    accept();
}
