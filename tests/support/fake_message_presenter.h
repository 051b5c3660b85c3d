#pragma once

#include "common/message_presenter.h"

#include <QStringList>

#include <functional>

// Records every message instead of showing it; askYesNo answers with yesAnswer.
class FakeMessagePresenter final : public MessagePresenter
{
public:
    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;

    QStringList messages;
    QStringList questions;
    bool yesAnswer = true;
    // Runs while a message is "open", as a modal box would let events run.
    std::function<void(const QString&)> onMessage;
};
