#pragma once
// Drives a dialog as the operator does: boxes found by their labels, buttons by their texts,
// Chinese typed key by key. Shared by the set-up screens' tests.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

namespace FormDriver {

inline QWidget *box(const QWidget *form, const QString &label)
{
    for (const QLabel *l : form->findChildren<QLabel *>()) {
        if (l->text() == label && l->buddy())
            return l->buddy();
    }
    qFatal("%s has no box labelled %s", qUtf8Printable(form->objectName()), qUtf8Printable(label));
}

inline QString text(const QWidget *form, const QString &label)
{
    QWidget *w = box(form, label);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        return plain->toPlainText();
    qFatal("the box %s holds no text", qUtf8Printable(label));
}

// Replaces what the box holds by the text, typed.
inline void type(const QWidget *form, const QString &label, const QString &typed)
{
    QWidget *w = box(form, label);
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        combo->setEditText(QString());
        w = combo->lineEdit();
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        edit->clear();
    }
    for (const QChar ch : typed)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

inline QAbstractButton *button(const QWidget *form, const QString &caption)
{
    for (QAbstractButton *b : form->findChildren<QAbstractButton *>()) {
        if (b->text() == caption)
            return b;
    }
    qFatal("%s has no button %s", qUtf8Printable(form->objectName()), qUtf8Printable(caption));
}

inline void click(const QWidget *form, const QString &caption)
{
    QTest::mouseClick(button(form, caption), Qt::LeftButton);
}

// The text of a PDF without white space; empty when pdftotext fails. The CJK font maps some
// glyphs back to their Kangxi radicals (⽣ for 生), which NFKC folds to the ideographs.
inline QString pdfText(const QString &pdf)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .remove(QRegularExpression(QStringLiteral("\\s")));
}

} // namespace FormDriver
