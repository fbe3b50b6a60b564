#pragma once
// The panel's pictures (built into the program) and its fonts: free fonts of the same kind
// as the designed ones (a serif for captions, a plain sans for numbers and entry boxes, a
// wide sans for the lists, a condensed bold display face for the key captions).

#include <QFont>
#include <QImage>

namespace zeb {

struct SkinImages {
    QImage background;  // 643 x 392, opaque
    QImage hideButton;  // 11 x 10
    QImage exitButton;  // 11 x 10
    QImage channel;     // 12 x 12, a lit channel indicator
    QImage thumb;       // 16 x 23 fader thumb
    QImage rail;        // 15 x 110 fader rail
};

SkinImages LoadSkin();
// A PNG picture of the program's resources.
QImage LoadPng(const QString& path);

QFont CaptionFont(double points);  // serif
QFont PlainFont(double points);    // sans
QFont ListFont(double points);     // wide sans
QFont DisplayFont(double points);  // condensed bold

}  // namespace zeb
