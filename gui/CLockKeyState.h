#pragma once

#include <QObject>

class QKeyEvent;

// Caps Lock, Num Lock and Scroll Lock as far as the program can know them.
//
// Qt offers no portable query of the lock state, so it is learned from the key
// events that reach the program's windows: a lock key press toggles its flag.
// On X11 every key event also carries the server's modifier state, which puts
// Caps Lock and Num Lock right again at the next key press; Scroll Lock has no
// such bit. Until the first key event all three are taken to be off, and a lock
// toggled while another program has the focus shows only at the next key press.
class CLockKeyState : public QObject {
    Q_OBJECT
public:
    // X11 core modifier bits: Lock and Mod2, where X servers put Num Lock.
    static constexpr quint32 kX11LockMask = 0x02;
    static constexpr quint32 kX11NumLockMask = 0x10;

    explicit CLockKeyState(QObject* parent = nullptr);

    bool IsCapsLockOn() const { return m_bCaps; }
    bool IsNumLockOn() const { return m_bNum; }
    bool IsScrollLockOn() const { return m_bScroll; }

    // One key press. nativeModifiers is only trusted when fromX11 is set.
    void OnKeyPress(int key, quint32 nativeModifiers, bool fromX11);

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_bCaps = false;
    bool m_bNum = false;
    bool m_bScroll = false;
    bool m_bX11 = false;
};
