#include "shell/lock_window.h"

#include "common/message_presenter.h"
#include "shell/unlock_password.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

LockWindow::LockWindow(const QString& stored, MessagePresenter& messages, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_stored(stored)
    , m_messages(messages)
{
    setObjectName(QStringLiteral("LockWindow"));
    setWindowTitle(QStringLiteral("锁定界面"));
    setFixedSize(285, 63);

    m_label = new QLabel(QStringLiteral("账号密码"), this);
    m_label->setObjectName(QStringLiteral("标签1"));
    m_label->setGeometry(4, 6, 60, 18);

    m_entry = new QLineEdit(this);
    m_entry->setObjectName(QStringLiteral("编辑框1"));
    m_entry->setGeometry(70, 3, 126, 24);
    m_entry->setEchoMode(QLineEdit::Password);
    m_entry->setAccessibleName(QStringLiteral("账号密码"));
    m_label->setBuddy(m_entry);

    m_unlock = new QPushButton(QStringLiteral("解除锁定"), this);
    m_unlock->setObjectName(QStringLiteral("按钮1"));
    m_unlock->setGeometry(205, 1, 60, 28);

    connect(m_unlock, &QPushButton::clicked, this, &LockWindow::tryUnlock);
    // Enter in the entry does what the button does, as in any password prompt.
    connect(m_entry, &QLineEdit::returnPressed, this, &LockWindow::tryUnlock);
}

void LockWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void LockWindow::tryUnlock()
{
    if (!UnlockPasswordMatches(m_stored, m_entry->text())) {
        m_messages.showMessage(QStringLiteral("密码错误"));
        return;
    }
    emit unlocked();
}
