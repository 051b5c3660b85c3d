#pragma once

#include "shell/platform/global_hotkey.h"

#include <QAbstractNativeEventFilter>

// Alt+key through RegisterHotKey on the calling thread; WM_HOTKEY reaches the filter.
class WinHotkey final : public GlobalHotkey, public QAbstractNativeEventFilter
{
public:
    explicit WinHotkey(QObject* parent = nullptr);
    ~WinHotkey() override;
    int claimAltKey(char letter) override;
    void release(int id) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    int m_nextId = 1;
};
