#include "gui/CLockKeyState.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

CLockKeyState::CLockKeyState(QObject* parent)
    : QObject(parent), m_bX11(QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
    }
}

void CLockKeyState::OnKeyPress(int key, quint32 nativeModifiers, bool fromX11) {
    const bool caps = m_bCaps;
    const bool num = m_bNum;
    const bool scroll = m_bScroll;
    // The X11 state is the one before this key took effect.
    if (fromX11) {
        m_bCaps = (nativeModifiers & kX11LockMask) != 0;
        m_bNum = (nativeModifiers & kX11NumLockMask) != 0;
    }
    switch (key) {
        case Qt::Key_CapsLock:
            m_bCaps = !m_bCaps;
            break;
        case Qt::Key_NumLock:
            m_bNum = !m_bNum;
            break;
        case Qt::Key_ScrollLock:
            m_bScroll = !m_bScroll;
            break;
        default:
            break;
    }
    if (caps != m_bCaps || num != m_bNum || scroll != m_bScroll) {
        emit changed();
    }
}

bool CLockKeyState::eventFilter(QObject* watched, QEvent* event) {
    // A key event reaches its top-level window once, and then every widget on
    // its way up, so only the window's copy is counted.
    if (event->type() == QEvent::KeyPress && qobject_cast<QWindow*>(watched) != nullptr) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (!keyEvent->isAutoRepeat()) {
            OnKeyPress(keyEvent->key(), keyEvent->nativeModifiers(), m_bX11);
        }
    }
    return QObject::eventFilter(watched, event);
}
