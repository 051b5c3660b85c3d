#pragma once

#include <QObject>

// A system-wide hot key. claim() returns the id of the claimed key, 0 when it could not
// be claimed (another program holds it, or the platform has no global keys).
class GlobalHotkey : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~GlobalHotkey() override = default;
    // Alt + the given letter key.
    virtual int claimAltKey(char letter) = 0;
    virtual void release(int id) = 0;

signals:
    void activated(int id);
};
