// The toolkit's floor for the window's cost: an empty frameless Qt Widgets window of the panel's
// size that repaints a small rectangle at the window's frame rate. What the real window costs
// above this (and above the headless program) is the window's own.

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

// The panel's size and the window's frame interval: one frame every engine tick of 35 ms.
constexpr int kWidth = 643;
constexpr int kHeight = 393;
constexpr int kFrameMs = 35;
constexpr QRect kRepainted{64, 264, 7, 93};

class FloorWindow : public QWidget {
  public:
    FloorWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
        setWindowTitle(QStringLiteral("ZEB floor"));
        setFixedSize(kWidth, kHeight);
        setAttribute(Qt::WA_OpaquePaintEvent);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] {
            lit_ = !lit_;
            update(kRepainted);
        });
        timer_.start(kFrameMs);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::black);
        if (lit_) {
            painter.fillRect(kRepainted, Qt::green);
        }
    }

  private:
    QTimer timer_;
    bool lit_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FloorWindow window;
    window.show();
    return QApplication::exec();
}
