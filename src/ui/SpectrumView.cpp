#include "ui/SpectrumView.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstddef>
#include <cstring>

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
    // Compared and recoloured a word of 8 pixels at a time, straight from the bytes: a frame's
    // bars move a little, most of the picture stays.
    constexpr size_t kWord = sizeof(uint64_t);
    static_assert(kSpectrumImageWidth % kWord == 0);
    constexpr size_t kLine = kSpectrumImageWidth;
    int top = kSpectrumShownRows;
    int bottom = 0;
    size_t left = kLine;
    size_t right = 0;
    std::array<uint8_t, kLine> shortLine{};
    for (int y = 0; y < kSpectrumShownRows; ++y) {
        // Screen line y shows stored row 126 - y: the bytes run bottom-up. A short (or still
        // empty) image has no bytes for its upper rows: they show black.
        const size_t start = static_cast<size_t>(kSpectrumShownRows - 1 - y) * kLine;
        const uint8_t* line = bytes.data() + std::min(start, bytes.size());
        if (bytes.size() < start + kLine) {
            const size_t available = start < bytes.size() ? bytes.size() - start : 0;
            std::fill(std::copy_n(line, available, shortLine.begin()), shortLine.end(), 0);
            line = shortLine.data();
        }
        uint8_t* shownLine = shown_.data() + static_cast<size_t>(y) * kLine;
        if (std::memcmp(line, shownLine, kLine) == 0) {
            continue;
        }
        auto* pixels = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (size_t at = 0; at < kLine; at += kWord) {
            if (std::memcmp(line + at, shownLine + at, kWord) == 0) {
                continue;
            }
            std::memcpy(shownLine + at, line + at, kWord);
            for (size_t x = at; x < at + kWord; ++x) {
                pixels[x] = palette_[shownLine[x]];
            }
            left = std::min(left, at);
            right = at + kWord;
        }
        top = std::min(top, y);
        bottom = y + 1;
    }
    if (bottom > top) {
        update(QRect(static_cast<int>(left), top, static_cast<int>(right - left), bottom - top));
    }
}

void SpectrumView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect picture = image_.rect();
    for (const QRect& rect : event->region()) {
        const QRect shown = rect & picture;
        if (!shown.isEmpty()) {
            painter.drawImage(shown.topLeft(), image_, shown);
        }
        // The lines below the picture stay black.
        const QRect below = rect & QRect(0, picture.height(), width(), height());
        if (!below.isEmpty()) {
            painter.fillRect(below, Qt::black);
        }
    }
}

}  // namespace zeb
