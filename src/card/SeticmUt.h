#pragma once
// The card reader's test screen: finds the reader, and reads and writes a card to prove it works.

#include <QDialog>

#include <memory>

class CardReader;

namespace Ui {
class TSeticmFm;
}

class TSeticmFm : public QDialog
{
    Q_OBJECT

public:
    explicit TSeticmFm(CardReader &reader, QWidget *parent = nullptr);
    ~TSeticmFm() override;

private:
    void testDevice();
    void readTest();
    void writeTest();

    CardReader &m_reader;
    std::unique_ptr<Ui::TSeticmFm> m_ui;
};
