#include "SeticmUt.h"
#include "ui_SeticmUt.h"

#include "card/CardReader.h"

using namespace Qt::StringLiterals;

TSeticmFm::TSeticmFm(CardReader &reader, QWidget *parent)
    : QDialog(parent), m_reader(reader), m_ui(std::make_unique<Ui::TSeticmFm>())
{
    m_ui->setupUi(this);
    connect(m_ui->TestButton, &QPushButton::clicked, this, &TSeticmFm::testDevice);
    connect(m_ui->ReadButton, &QPushButton::clicked, this, &TSeticmFm::readTest);
    connect(m_ui->WriteButton, &QPushButton::clicked, this, &TSeticmFm::writeTest);
}

TSeticmFm::~TSeticmFm() = default;

void TSeticmFm::testDevice()
{
    const QStringList lines = m_reader.findReader();
    for (const QString &line : lines)
        m_ui->Memo->appendPlainText(line);
}

void TSeticmFm::readTest()
{
    m_ui->Memo->appendPlainText(u"读取值为:"_s + m_reader.readCard(this));
}

void TSeticmFm::writeTest()
{
    m_reader.writeCard(m_ui->WriteEdit->text(), this);
}
