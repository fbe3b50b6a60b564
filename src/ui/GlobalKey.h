#pragma once
// One key combination that the X server hands to the program wherever the keyboard focus is,
// also while its windows are hidden. Only on X11: elsewhere (Wayland, the offscreen platform)
// or when another program holds the same combination, nothing is ever reported. The grab ends
// with the object.

#include <QAbstractNativeEventFilter>
#include <QKeyCombination>
#include <QObject>
#include <cstdint>

namespace zeb {

class GlobalKey : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

  public:
    // `key` must be a letter; Ctrl, Alt, Shift and Meta count among the modifiers.
    explicit GlobalKey(QKeyCombination key, QObject* parent = nullptr);
    ~GlobalKey() override;
    GlobalKey(const GlobalKey&) = delete;
    GlobalKey& operator=(const GlobalKey&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  signals:
    // The combination went down (a key held down reports once).
    void Pressed();

  private:
    void Ungrab();

    bool active_ = false;
    uint32_t root_ = 0;
    uint8_t keycode_ = 0;
    uint16_t modifiers_ = 0;
    // Time of the last release: X repeats a held key as release and press at one time.
    uint32_t releasedAt_ = 0;
};

}  // namespace zeb
