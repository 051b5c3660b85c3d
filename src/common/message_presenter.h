#pragma once

#include <QString>

// Messages to the user: caption "信息：", no owner, modal for the whole program.
// Injected so tests can answer and count them.
class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    virtual void showMessage(const QString& text) = 0;
    // Yes and No buttons; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
};
