#include "support/fake_message_presenter.h"

void FakeMessagePresenter::showMessage(const QString& text)
{
    messages.append(text);
    if (onMessage)
        onMessage(text);
}

bool FakeMessagePresenter::askYesNo(const QString& text)
{
    questions.append(text);
    return yesAnswer;
}
