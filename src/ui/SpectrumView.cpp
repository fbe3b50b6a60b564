#include "ui/SpectrumView.h"

#include <QPainter>
#include <algorithm>
#include <cstddef>

#include "audio/SpectrumFolding.h"

namespace zeb {

SpectrumView::SpectrumView(QWidget* parent)
    : QWidget(parent),
      shown_(static_cast<size_t>(kSpectrumImageWidth) * kSpectrumShownRows, 0),
      palette_(SpectrumPalette()),
      image_(kSpectrumImageWidth, kSpectrumShownRows, QImage::Format_RGB32) {
    image_.fill(palette_[0]);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoMousePropagation);
}

void SpectrumView::ShowImage(const std::vector<uint8_t>& bytes) {
    bool changed = false;
    for (int y = 0; y < kSpectrumShownRows; ++y) {
        // Screen line y shows stored row 126 - y: the bytes run bottom-up.
        const size_t start = static_cast<size_t>(kSpectrumShownRows - 1 - y) * kSpectrumImageWidth;
        // A short (or still empty) image has no bytes for its upper rows: they show black.
        const auto row = bytes.begin() + static_cast<std::ptrdiff_t>(std::min(start, bytes.size()));
        const auto rowEnd = row + std::min<std::ptrdiff_t>(bytes.end() - row, kSpectrumImageWidth);
        uint8_t* shownLine = shown_.data() + static_cast<size_t>(y) * kSpectrumImageWidth;
        uint8_t* shownEnd = shownLine + kSpectrumImageWidth;
        uint8_t* const filled = shownLine + (rowEnd - row);
        const bool sameBytes =
            std::equal(row, rowEnd, shownLine) &&
            std::all_of(filled, shownEnd, [](uint8_t index) { return index == 0; });
        if (sameBytes) {
            continue;
        }
        changed = true;
        std::fill(std::copy(row, rowEnd, shownLine), shownEnd, uint8_t{0});
        auto* pixels = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = 0; x < kSpectrumImageWidth; ++x) {
            pixels[x] = palette_[shownLine[x]];
        }
    }
    if (changed) {
        update();
    }
}

void SpectrumView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.drawImage(0, 0, image_);
}

}  // namespace zeb
