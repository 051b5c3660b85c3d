#pragma once

#include <QWidget>

class MessagePresenter;
class QLabel;
class QLineEdit;
class QPushButton;

// The password window that stands in for the main window while the interface is
// locked. It cannot be closed; the right password is the only way out.
class LockWindow : public QWidget
{
    Q_OBJECT
public:
    // stored: the unlock password as kept (a hash); owner: the main window.
    LockWindow(const QString& stored, MessagePresenter& messages, QWidget* owner);

    QLineEdit* passwordEntry() const
    {
        return m_entry;
    }
    QPushButton* unlockButton() const
    {
        return m_unlock;
    }

signals:
    void unlocked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void tryUnlock();

    QString m_stored;
    MessagePresenter& m_messages;
    QLabel* m_label = nullptr;
    QLineEdit* m_entry = nullptr;
    QPushButton* m_unlock = nullptr;
};
