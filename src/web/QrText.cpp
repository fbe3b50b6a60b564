#include "web/QrText.h"

#include <qrencode.h>

#include <memory>

namespace zeb {

namespace {

constexpr int kQuietZone = 2;

struct FreeQrCode {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

}  // namespace

std::vector<std::vector<bool>> QrModules(const std::string& text) {
    const std::unique_ptr<QRcode, FreeQrCode> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1));
    std::vector<std::vector<bool>> rows;
    if (!code) {
        return rows;
    }
    const int width = code->width;
    for (int y = 0; y < width; ++y) {
        std::vector<bool> row;
        for (int x = 0; x < width; ++x) {
            row.push_back((code->data[y * width + x] & 1) != 0);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> QrTextLines(const std::string& text) {
    const auto modules = QrModules(text);
    std::vector<std::string> lines;
    if (modules.empty()) {
        return lines;
    }
    const int width = static_cast<int>(modules.size());
    const auto light = [&](int x, int y) {
        x -= kQuietZone;
        y -= kQuietZone;
        return x < 0 || y < 0 || x >= width || y >= width ||
               !modules[static_cast<size_t>(y)][static_cast<size_t>(x)];
    };
    const int side = width + 2 * kQuietZone;
    for (int y = 0; y < side; y += 2) {
        std::string line;
        for (int x = 0; x < side; ++x) {
            const bool top = light(x, y);
            const bool bottom = y + 1 < side && light(x, y + 1);
            line += top && bottom ? "\u2588" : top ? "\u2580" : bottom ? "\u2584" : " ";
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace zeb
