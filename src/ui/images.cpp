// Draws the node images with QPainter, so the pictures live in the source as
// code; the program's icons come from the drawings in packaging/icons.
#include "ui/images.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

// The resources sit in a static library, whose unreferenced initialiser the
// linker would drop; this reference keeps it.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace tavrel {
namespace {

QIcon IconFromResources(const QString& name) {
    InitIconResources();
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size), QSize(size, size));
    }
    return icon;
}

void DrawHandset(QPainter& p, const QRectF& body) {
    p.setPen(QPen(QColor(40, 40, 40), body.width() / 10));
    p.setBrush(QColor(70, 70, 80));
    p.drawRoundedRect(body, body.width() / 4, body.width() / 4);
    // Emitter at the top, then a grid of buttons.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 40, 40));
    const qreal unit = body.width() / 5;
    p.drawEllipse(QPointF(body.center().x(), body.top() + unit * 1.2), unit * 0.7, unit * 0.7);
    p.setBrush(QColor(200, 200, 210));
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 2; ++col) {
            const QPointF c(body.left() + unit * (1.5 + 2 * col),
                            body.top() + unit * (3.0 + 1.8 * row));
            p.drawEllipse(c, unit * 0.55, unit * 0.55);
        }
    }
}

void DrawBall(QPainter& p, const QColor& light, const QColor& dark) {
    QRadialGradient shade(QPointF(6, 6), 9);
    shade.setColorAt(0, light);
    shade.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(140), 1));
    p.setBrush(shade);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

void DrawQuestionDisc(QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 120), 1));
    p.setBrush(QColor(40, 90, 210));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont font;
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

QPixmap NodeImage(int index) {
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
        case 0:
            DrawHandset(p, QRectF(4.5, 0.5, 7, 15));
            break;
        case 1:
            DrawQuestionDisc(p);
            break;
        case 2:
            DrawBall(p, QColor(235, 235, 235), QColor(120, 120, 120));
            break;
        case 3:
            DrawBall(p, QColor(150, 190, 255), QColor(20, 60, 190));
            break;
        default:
            DrawBall(p, QColor(255, 170, 160), QColor(190, 20, 20));
            break;
    }
    return image;
}

QIcon ProgramIcon() {
    return IconFromResources(QStringLiteral("tavrel"));
}

QIcon InactiveIcon() {
    return IconFromResources(QStringLiteral("tavrel-inactive"));
}

QPixmap LearningPicture() {
    QPixmap image(71, 99);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The receiver at the top right, its cable leaving to the right edge.
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.drawLine(QPointF(62, 12), QPointF(70, 12));
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.setBrush(QColor(90, 90, 100));
    p.drawRoundedRect(QRectF(44, 4, 20, 16), 3, 3);
    p.setBrush(QColor(120, 20, 20));
    p.drawEllipse(QPointF(48, 12), 3, 3);
    // The handset below, tilted toward the receiver.
    p.save();
    p.translate(10, 44);
    p.rotate(20);
    DrawHandset(p, QRectF(0, 0, 20, 50));
    p.restore();
    // Infrared waves between them.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(220, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
    for (int wave = 0; wave < 3; ++wave) {
        const qreal r = 8 + 7 * wave;
        p.drawArc(QRectF(16 - r, 44 - r, 2 * r, 2 * r), 20 * 16, 50 * 16);
    }
    return image;
}

}  // namespace tavrel
