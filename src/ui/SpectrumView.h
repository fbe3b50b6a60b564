#pragma once
// The live spectrum: the engine's bar-graph bytes shown as a 424 x 127 picture, bottom row
// first in the bytes, each bar row coloured by its height through the spectrum palette.

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

namespace zeb {

class SpectrumView : public QWidget {
    Q_OBJECT

  public:
    explicit SpectrumView(QWidget* parent);

    // Shows the bar graph held in `bytes`; rows missing from it show black. Repaints only the
    // rectangle round what changed.
    void ShowImage(const std::vector<uint8_t>& bytes);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // The palette indices last shown, top screen line first.
    std::vector<uint8_t> shown_;
    std::array<QRgb, 256> palette_;
    // Kept in the display's own 32-bit format: painting it is a plain copy, with no colour
    // conversion (and none of the worker threads Qt uses for large conversions).
    QImage image_;
};

}  // namespace zeb
