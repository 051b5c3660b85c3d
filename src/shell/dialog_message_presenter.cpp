#include "shell/dialog_message_presenter.h"

#include <QMessageBox>

namespace {

int runBox(const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("信息："), text, buttons);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec();
}

} // namespace

void DialogMessagePresenter::showMessage(const QString& text)
{
    runBox(text, QMessageBox::Ok);
}

bool DialogMessagePresenter::askYesNo(const QString& text)
{
    return runBox(text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
