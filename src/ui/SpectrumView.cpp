#include "ui/SpectrumView.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

#include "audio/SpectrumFolding.h"

namespace zeb {

namespace {

QList<QRgb> ColourTable() {
    const auto palette = SpectrumPalette();
    return QList<QRgb>(palette.begin(), palette.end());
}

}  // namespace

SpectrumView::SpectrumView(QWidget* parent)
    : QWidget(parent), image_(kSpectrumImageWidth, kSpectrumShownRows, QImage::Format_Indexed8) {
    image_.setColorTable(ColourTable());
    image_.fill(0);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoMousePropagation);
}

void SpectrumView::ShowImage(const std::vector<uint8_t>& bytes) {
    for (int y = 0; y < kSpectrumShownRows; ++y) {
        // Screen line y shows stored row 126 - y: the bytes run bottom-up.
        const size_t start = static_cast<size_t>(kSpectrumShownRows - 1 - y) * kSpectrumImageWidth;
        uchar* line = image_.scanLine(y);
        const size_t available = bytes.size() > start ? bytes.size() - start : 0;
        const size_t copied = std::min<size_t>(available, kSpectrumImageWidth);
        if (copied > 0) {
            std::memcpy(line, bytes.data() + start, copied);
        }
        std::memset(line + copied, 0, kSpectrumImageWidth - copied);
    }
    update();
}

void SpectrumView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.drawImage(0, 0, image_);
}

}  // namespace zeb
