#include "ui/Skin.h"

#include <QPainter>
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
// with no blending (nor converting the file's colours) at every repaint.
QImage OnBlack(const QImage& picture) {
    QImage opaque(picture.size(), QImage::Format_RGB32);
    opaque.fill(Qt::black);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, picture);
    return opaque;
}

}  // namespace

SkinImages LoadSkin() {
    RegisterSkinResources();
    return SkinImages{OnBlack(QImage(":/skin/background.png")),
                      QImage(":/skin/hide.png"),
                      QImage(":/skin/exit.png"),
                      QImage(":/skin/channel.png"),
                      QImage(":/skin/thumb.png"),
                      QImage(":/skin/rail.png")};
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
