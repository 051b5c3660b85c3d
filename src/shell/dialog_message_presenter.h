#pragma once

#include "common/message_presenter.h"

// Real message boxes: caption "信息：", no owner, modal for the whole program.
class DialogMessagePresenter final : public MessagePresenter
{
public:
    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;
};
