#include "ui/Skin.h"

#include <QImageReader>
#include <QStringList>

// Resources of a static library are registered by hand, outside any namespace.
static void RegisterSkinResources() {
    Q_INIT_RESOURCE(skin);
}

namespace zeb {

namespace {

QFont FontOf(const QStringList& families, double points, int weight = QFont::Normal) {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

// The panel lies on the window's black: composed onto it once, it paints as a plain copy,
// with no blending (nor converting the file's colours) at every repaint. Done in place, on one
// thread: Qt's own conversion of a picture this size takes a second copy and a thread pool.
QImage OnBlack(QImage picture) {
    if (picture.format() != QImage::Format_ARGB32) {
        picture.convertTo(QImage::Format_ARGB32);
    }
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            // Colour times alpha is the colour laid over black.
            line[x] = qPremultiply(line[x]) | 0xFF000000u;
        }
    }
    picture.reinterpretAsFormat(QImage::Format_RGB32);
    return picture;
}

// The small pictures come as palette images: drawn as they are, each would be converted again
// at every drawing.
QImage ReadyToDraw(QImage picture) {
    picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    return picture;
}

}  // namespace

SkinImages LoadSkin() {
    RegisterSkinResources();
    return SkinImages{
        OnBlack(LoadPng(":/skin/background.png")), ReadyToDraw(LoadPng(":/skin/hide.png")),
        ReadyToDraw(LoadPng(":/skin/exit.png")),   ReadyToDraw(LoadPng(":/skin/channel.png")),
        ReadyToDraw(LoadPng(":/skin/thumb.png")),  ReadyToDraw(LoadPng(":/skin/rail.png"))};
}

QImage LoadPng(const QString& path) {
    // Told the format and not to guess: a reader that guesses loads every image plugin there is.
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QFont CaptionFont(double points) {
    return FontOf({"Liberation Serif", "DejaVu Serif", "serif"}, points);
}

QFont PlainFont(double points) {
    return FontOf({"Liberation Sans", "DejaVu Sans", "sans-serif"}, points);
}

QFont ListFont(double points) {
    return FontOf({"DejaVu Sans", "Liberation Sans", "sans-serif"}, points);
}

QFont DisplayFont(double points) {
    return FontOf({"Nimbus Sans Narrow", "DejaVu Sans Condensed", "sans-serif"}, points,
                  QFont::Bold);
}

}  // namespace zeb
