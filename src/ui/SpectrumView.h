#pragma once
// The live spectrum: the engine's bar-graph bytes shown as an 8-bit palette image, 424 x 127,
// bottom row first in the bytes, each bar row coloured by its height.

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace zeb {

class SpectrumView : public QWidget {
    Q_OBJECT

  public:
    explicit SpectrumView(QWidget* parent);

    // Shows the bar graph held in `bytes`; rows missing from it show black.
    void ShowImage(const std::vector<uint8_t>& bytes);
    const QImage& Image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};

}  // namespace zeb
