#pragma once

#include <QDialog>

class MessagePresenter;
class QLineEdit;
class QPushButton;

// Asks for the lock password the first time the interface is locked: typed twice,
// not empty once its blanks are trimmed.
class NewPasswordDialog : public QDialog
{
    Q_OBJECT
public:
    NewPasswordDialog(MessagePresenter& messages, QWidget* parent = nullptr);

    // The accepted password, trimmed as the lock trims what is typed.
    QString password() const;

    QLineEdit* firstEntry() const
    {
        return m_first;
    }
    QLineEdit* secondEntry() const
    {
        return m_second;
    }
    QPushButton* okButton() const
    {
        return m_ok;
    }

private:
    void confirm();

    MessagePresenter& m_messages;
    QLineEdit* m_first = nullptr;
    QLineEdit* m_second = nullptr;
    QPushButton* m_ok = nullptr;
};
