#include "shell/new_password_dialog.h"

#include "common/message_presenter.h"
#include "common/text_helpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

NewPasswordDialog::NewPasswordDialog(MessagePresenter& messages, QWidget* parent)
    : QDialog(parent)
    , m_messages(messages)
{
    setObjectName(QStringLiteral("NewPasswordDialog"));
    setWindowTitle(QStringLiteral("设置锁定密码"));
    setFixedSize(285, 104);

    auto* firstLabel = new QLabel(QStringLiteral("新密码"), this);
    firstLabel->setGeometry(4, 9, 60, 18);
    m_first = new QLineEdit(this);
    m_first->setObjectName(QStringLiteral("编辑框新密码"));
    m_first->setGeometry(70, 6, 206, 24);
    m_first->setEchoMode(QLineEdit::Password);
    m_first->setAccessibleName(QStringLiteral("新密码"));
    firstLabel->setBuddy(m_first);

    auto* secondLabel = new QLabel(QStringLiteral("再次输入"), this);
    secondLabel->setGeometry(4, 39, 60, 18);
    m_second = new QLineEdit(this);
    m_second->setObjectName(QStringLiteral("编辑框确认密码"));
    m_second->setGeometry(70, 36, 206, 24);
    m_second->setEchoMode(QLineEdit::Password);
    m_second->setAccessibleName(QStringLiteral("再次输入"));
    secondLabel->setBuddy(m_second);

    m_ok = new QPushButton(QStringLiteral("确定"), this);
    m_ok->setObjectName(QStringLiteral("按钮确定"));
    m_ok->setGeometry(130, 70, 70, 28);
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("按钮取消"));
    cancel->setGeometry(206, 70, 70, 28);

    connect(m_ok, &QPushButton::clicked, this, &NewPasswordDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString NewPasswordDialog::password() const
{
    return TrimSpaces(m_first->text());
}

void NewPasswordDialog::confirm()
{
    if (password().isEmpty()) {
        m_messages.showMessage(QStringLiteral("密码不能为空"));
        return;
    }
    if (TrimSpaces(m_second->text()) != password()) {
        m_messages.showMessage(QStringLiteral("两次输入的密码不一致"));
        return;
    }
    accept();
}
