#include "image_painter.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace datrevo::ui::art {
namespace {

const QColor kBackground(244, 251, 254);
const QColor kBlue(30, 100, 200);
const QColor kDarkBlue(11, 61, 145);
const QColor kLightBlue(190, 225, 245);
const QColor kRed(205, 50, 45);
const QColor kDarkRed(140, 25, 20);
const QColor kFolder(246, 206, 90);
const QColor kFolderEdge(170, 120, 20);
const QColor kGrey(120, 130, 140);

QImage Blank(int width, int height, QColor fill = Qt::transparent) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

void Smooth(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

QFont BoldFont(int pixels, const char* family = "DejaVu Sans") {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

// A round badge with a vertical shine, the base of several toolbar images.
void Badge(QPainter& p, QRectF r, QColor light, QColor dark) {
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, light);
    shade.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(130), 1.2));
    p.setBrush(shade);
    p.drawEllipse(r);
}

void BadgeText(QPainter& p, QRectF r, const char* text, int pixels) {
    p.setPen(Qt::white);
    p.setFont(BoldFont(pixels));
    p.drawText(r, Qt::AlignCenter, QString::fromLatin1(text));
}

// An arrow head pointing along +x, drawn at `tip` and turned by `degrees`.
void ArrowHead(QPainter& p, QPointF tip, double degrees, double size, QColor colour) {
    p.save();
    p.translate(tip);
    p.rotate(degrees);
    QPainterPath head;
    head.moveTo(0, 0);
    head.lineTo(-size, -size * 0.75);
    head.lineTo(-size, size * 0.75);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
    p.restore();
}

void Folder(QPainter& p, QRectF r, QColor body, QColor edge) {
    QPainterPath path;
    const double tab = r.width() * 0.4;
    const double tabHeight = r.height() * 0.18;
    path.moveTo(r.left(), r.top() + tabHeight);
    path.lineTo(r.left(), r.top() + 1);
    path.quadTo(r.left(), r.top(), r.left() + 1, r.top());
    path.lineTo(r.left() + tab - 2, r.top());
    path.lineTo(r.left() + tab, r.top() + tabHeight);
    path.lineTo(r.right(), r.top() + tabHeight);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, body.lighter(115));
    shade.setColorAt(1, body);
    p.setPen(QPen(edge, 1));
    p.setBrush(shade);
    p.drawPath(path);
    p.drawLine(QPointF(r.left(), r.top() + tabHeight * 1.9),
               QPointF(r.right(), r.top() + tabHeight * 1.9));
}

void Document(QPainter& p, QRectF r) {
    const double fold = r.width() * 0.3;
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(kGrey, 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setBrush(QColor(225, 232, 240));
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.drawPath(corner);
    p.setPen(QPen(kLightBlue.darker(120), 1.4));
    for (double y = r.top() + fold + 3; y < r.bottom() - 3; y += 3.5)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

// A thick arrow from `from` to `to` with its head at `to`.
void ThickArrow(QPainter& p, QPointF from, QPointF to, QColor colour, double width) {
    const double degrees = std::atan2(to.y() - from.y(), to.x() - from.x()) * 180.0 / M_PI;
    const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF shaftEnd = from + (to - from) * ((length - width * 1.4) / length);
    p.setPen(QPen(colour.darker(140), width + 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(from, shaftEnd);
    ArrowHead(p, to + (to - from) * (1.0 / length), degrees, width * 1.9, colour.darker(140));
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(from, shaftEnd);
    ArrowHead(p, to, degrees, width * 1.6, colour);
}

void Magnifier(QPainter& p, QPointF centre, double radius) {
    p.setPen(QPen(QColor(70, 70, 80), radius * 0.45, Qt::SolidLine, Qt::RoundCap));
    const QPointF handle = centre + QPointF(radius * 0.75, radius * 0.75);
    p.drawLine(handle, handle + QPointF(radius * 0.9, radius * 0.9));
    QRadialGradient glass(centre - QPointF(radius * 0.3, radius * 0.3), radius * 1.2);
    glass.setColorAt(0, Qt::white);
    glass.setColorAt(1, kLightBlue);
    p.setPen(QPen(kDarkBlue, radius * 0.28));
    p.setBrush(glass);
    p.drawEllipse(centre, radius, radius);
}

// A disk platter seen from above.
void Platter(QPainter& p, QPointF centre, double radius) {
    QRadialGradient metal(centre - QPointF(radius * 0.4, radius * 0.4), radius * 1.6);
    metal.setColorAt(0, Qt::white);
    metal.setColorAt(1, QColor(165, 180, 195));
    p.setPen(QPen(kGrey, 1));
    p.setBrush(metal);
    p.drawEllipse(centre, radius, radius);
    p.setBrush(kBlue);
    p.drawEllipse(centre, radius * 0.22, radius * 0.22);
}

// ---- toolbar images, 32 x 32 ----

QImage HelpImage() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    Badge(p, QRectF(2, 2, 28, 28), kBlue.lighter(140), kDarkBlue);
    BadgeText(p, QRectF(2, 2, 28, 28), "?", 20);
    return image;
}

QImage AboutImage() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    Badge(p, QRectF(2, 2, 28, 28), kBlue.lighter(140), kDarkBlue);
    p.setFont(BoldFont(20, "DejaVu Serif"));
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, QStringLiteral("i"));
    return image;
}

QImage LoadLogImage() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    Folder(p, QRectF(2.5, 10.5, 27, 19), kFolder, kFolderEdge);
    Document(p, QRectF(9.5, 3.5, 13, 15));
    ThickArrow(p, QPointF(16, 28), QPointF(16, 14), kBlue, 4);
    return image;
}

QImage SaveLogImage() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    Document(p, QRectF(5.5, 2.5, 17, 24));
    ThickArrow(p, QPointF(24, 8), QPointF(24, 29), kBlue, 4);
    return image;
}

QImage ExitImage() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    Badge(p, QRectF(2, 2, 28, 28), kRed.lighter(135), kDarkRed);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 9.5, 14, 14), 120 * 16, 300 * 16);
    p.drawLine(QPointF(16, 7.5), QPointF(16, 15));
    return image;
}

QImage SaveImage() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    QPainterPath body;
    body.addRoundedRect(QRectF(3.5, 3.5, 25, 25), 3, 3);
    QLinearGradient shade(0, 3, 0, 28);
    shade.setColorAt(0, kBlue.lighter(130));
    shade.setColorAt(1, kDarkBlue);
    p.setPen(QPen(kDarkBlue.darker(130), 1));
    p.setBrush(shade);
    p.drawPath(body);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(8, 4, 16, 10));  // the label
    p.setBrush(QColor(60, 70, 90));
    p.drawRect(QRectF(10, 19, 12, 9));  // the shutter
    p.setBrush(QColor(200, 210, 220));
    p.drawRect(QRectF(18, 20.5, 2.5, 6));
    p.setPen(QPen(kLightBlue.darker(120), 1));
    p.drawLine(QPointF(10, 7.5), QPointF(22, 7.5));
    p.drawLine(QPointF(10, 10.5), QPointF(22, 10.5));
    return image;
}

QImage NavigationImage(bool forward) {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    Badge(p, QRectF(2, 2, 28, 28), kBlue.lighter(140), kDarkBlue);
    QPainterPath arrow;
    arrow.moveTo(8, 13);
    arrow.lineTo(16, 13);
    arrow.lineTo(16, 8);
    arrow.lineTo(24.5, 16);
    arrow.lineTo(16, 24);
    arrow.lineTo(16, 19);
    arrow.lineTo(8, 19);
    arrow.closeSubpath();
    if (!forward) {
        p.translate(32, 0);
        p.scale(-1, 1);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    return image;
}

QImage NextImage() { return NavigationImage(true); }
QImage BackImage() { return NavigationImage(false); }

QImage SearchMoreImage() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    Platter(p, QPointF(13, 13), 11.5);
    Magnifier(p, QPointF(19, 19), 6.5);
    return image;
}

void StopCross(QPainter& p, QPointF centre, double radius) {
    Badge(p, QRectF(centre.x() - radius, centre.y() - radius, radius * 2, radius * 2),
          kRed.lighter(135), kDarkRed);
    const double arm = radius * 0.45;
    p.setPen(QPen(Qt::white, radius * 0.32, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(-arm, -arm), centre + QPointF(arm, arm));
    p.drawLine(centre + QPointF(-arm, arm), centre + QPointF(arm, -arm));
}

QImage StopSearchingPartitionsImage() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    Platter(p, QPointF(13, 13), 11.5);
    StopCross(p, QPointF(22.5, 22.5), 8);
    return image;
}

QImage StopSearchImage() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        const double angle = (22.5 + 45.0 * i) * M_PI / 180.0;
        octagon << QPointF(16 + 14 * std::cos(angle), 16 + 14 * std::sin(angle));
    }
    QLinearGradient shade(0, 2, 0, 30);
    shade.setColorAt(0, kRed.lighter(135));
    shade.setColorAt(1, kDarkRed);
    p.setPen(QPen(kDarkRed.darker(130), 1.2));
    p.setBrush(shade);
    p.drawPolygon(octagon);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(10.5, 10.5, 11, 11), 1.5, 1.5);
    return image;
}

QImage RefreshImage() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    Smooth(p);
    const QRectF ring(6, 6, 20, 20);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlue, 4, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ring, 100 * 16, 140 * 16);
    p.drawArc(ring, 280 * 16, 140 * 16);
    // Heads at the clockwise ends of the two arcs.
    ArrowHead(
        p,
        QPointF(16 + 10 * std::cos(100 * M_PI / 180) + 3.5, 16 - 10 * std::sin(100 * M_PI / 180)),
        0, 6.5, kBlue);
    ArrowHead(
        p,
        QPointF(16 + 10 * std::cos(280 * M_PI / 180) - 3.5, 16 - 10 * std::sin(280 * M_PI / 180)),
        180, 6.5, kBlue);
    return image;
}

// ---- tree images, 16 x 16 ----

QImage ComputerImage() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    Smooth(p);
    p.setPen(QPen(QColor(60, 70, 85), 1));
    p.setBrush(QColor(225, 230, 236));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 10), 1, 1);
    QLinearGradient screen(0, 3, 0, 10);
    screen.setColorAt(0, kBlue.lighter(150));
    screen.setColorAt(1, kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(screen);
    p.drawRect(QRectF(3, 3, 10, 7));
    p.setBrush(QColor(90, 100, 115));
    p.drawRect(QRectF(6.5, 12, 3, 2));
    p.drawRect(QRectF(4, 14, 8, 1.5));
    return image;
}

QImage DiskImage() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    Smooth(p);
    QLinearGradient shade(0, 4, 0, 13);
    shade.setColorAt(0, QColor(235, 238, 242));
    shade.setColorAt(1, QColor(160, 170, 182));
    p.setPen(QPen(QColor(70, 78, 90), 1));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(1.5, 4.5, 13, 8), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 200, 80));
    p.drawEllipse(QRectF(11, 9.5, 2, 2));
    p.setPen(QPen(kBlue, 1));
    p.drawLine(QPointF(3.5, 10.5), QPointF(8.5, 10.5));
    return image;
}

QImage PartitionImage() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    Smooth(p);
    p.setPen(QPen(QColor(70, 78, 90), 1));
    p.setBrush(QColor(215, 222, 230));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(kBlue);
    p.drawPie(QRectF(1.5, 1.5, 13, 13), 90 * 16, -120 * 16);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(6.5, 6.5, 3, 3));
    return image;
}

QImage FolderImage() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    Smooth(p);
    Folder(p, QRectF(1.5, 2.5, 13, 11), kFolder, kFolderEdge);
    return image;
}

// An open folder: the back wall with its tab, the front flap tipped
// forward, in `body` with `edge` lines.
void OpenFolder(QPainter& p, QColor body, QColor edge) {
    Folder(p, QRectF(1.5, 2.5, 12, 11), body.darker(112), edge);
    QPainterPath flap;
    flap.moveTo(1.5, 13.5);
    flap.lineTo(4.0, 6.5);
    flap.lineTo(15.0, 6.5);
    flap.lineTo(12.5, 13.5);
    flap.closeSubpath();
    QLinearGradient shade(QPointF(0, 6.5), QPointF(0, 13.5));
    shade.setColorAt(0, body.lighter(120));
    shade.setColorAt(1, body);
    p.setPen(QPen(edge, 1));
    p.setBrush(shade);
    p.drawPath(flap);
}

// The folder whose contents the list shows.
QImage OpenFolderImage() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    Smooth(p);
    OpenFolder(p, kFolder, kFolderEdge);
    return image;
}

// A folder opened from the file list: open, with a blue mark of the list.
QImage OpenedFolderImage() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    Smooth(p);
    OpenFolder(p, kFolder, kFolderEdge);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(9.5, 8.5, 5, 5));
    return image;
}

// A folder listed before the current one: closed, a shade paler.
QImage PassedFolderImage() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    Smooth(p);
    Folder(p, QRectF(1.5, 2.5, 13, 11), kFolder.lighter(118), kFolderEdge.lighter(130));
    return image;
}

QImage DeletedFolderImage() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    Smooth(p);
    Folder(p, QRectF(1.5, 2.5, 13, 11), QColor(205, 205, 200), QColor(120, 120, 115));
    p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(14, 14));
    p.drawLine(QPointF(8, 14), QPointF(14, 8));
    return image;
}

QImage FileSystemImage() {
    QImage image = Blank(16, 16);
    QPainter p(&image);
    Smooth(p);
    for (int layer = 2; layer >= 0; --layer) {
        const double top = 2.5 + layer * 4;
        QPainterPath can;
        can.moveTo(2.5, top + 1.5);
        can.lineTo(2.5, top + 4.5);
        can.arcTo(QRectF(2.5, top + 3, 11, 3), 180, 180);
        can.lineTo(13.5, top + 1.5);
        p.setPen(QPen(kDarkBlue, 1));
        p.setBrush(layer == 0 ? kBlue.lighter(130) : kBlue);
        p.drawPath(can);
        p.setBrush(kLightBlue);
        p.drawEllipse(QRectF(2.5, top, 11, 3));
    }
    return image;
}

// ---- window icon, splash, notice, iPod help ----

}  // namespace

// The program's mark: a platter with a blue arrow turning back onto it.
void PaintMark(QPainter& p, QRectF r) {
    const double unit = r.width() / 128.0;
    QPainterPath tile;
    tile.addRoundedRect(r.adjusted(4 * unit, 4 * unit, -4 * unit, -4 * unit), 22 * unit, 22 * unit);
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, kBlue.lighter(135));
    shade.setColorAt(1, kDarkBlue);
    p.setPen(QPen(kDarkBlue.darker(130), 2 * unit));
    p.setBrush(shade);
    p.drawPath(tile);
    const QPointF centre = r.center();
    Platter(p, centre, 38 * unit);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 210, 60), 8 * unit, Qt::SolidLine, Qt::RoundCap));
    const QRectF ring(centre.x() - 50 * unit, centre.y() - 50 * unit, 100 * unit, 100 * unit);
    p.drawArc(ring, 200 * 16, 250 * 16);
    // The arc runs counter-clockwise and ends at the top: the head points left.
    ArrowHead(p, QPointF(centre.x() - 10 * unit, centre.y() - 50 * unit), 180, 16 * unit,
              QColor(255, 210, 60));
}

namespace {

QImage WindowIcon() {
    QImage image = Blank(128, 128);
    QPainter p(&image);
    Smooth(p);
    PaintMark(p, QRectF(0, 0, 128, 128));
    return image;
}

QImage SplashImage() {
    QImage image = Blank(480, 300, kBackground);
    QPainter p(&image);
    Smooth(p);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, Qt::white);
    sky.setColorAt(0.55, kBackground);
    sky.setColorAt(1, kLightBlue);
    p.fillRect(image.rect(), sky);
    // A band along the bottom, in the accent colour.
    QPainterPath band;
    band.moveTo(0, 250);
    band.cubicTo(160, 220, 320, 285, 480, 240);
    band.lineTo(480, 300);
    band.lineTo(0, 300);
    band.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPath(band);
    PaintMark(p, QRectF(30, 60, 128, 128));
    p.setPen(kDarkBlue);
    p.setFont(BoldFont(34));
    p.drawText(QRectF(175, 70, 300, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Vantorrel"));
    p.drawText(QRectF(175, 110, 300, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Datrevo"));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(15);
    p.setFont(small);
    p.setPen(QColor(40, 60, 90));
    p.drawText(QRectF(177, 158, 300, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Data recovery for removable disks"));
    p.setPen(Qt::white);
    small.setPixelSize(13);
    p.setFont(small);
    p.drawText(QRectF(0, 268, 464, 24), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Version 5.8.4.1"));
    return image;
}

// A music player with a blue notice badge: the picture beside the notices.
QImage NoticeImage() {
    QImage image = Blank(120, 150);
    QPainter p(&image);
    Smooth(p);
    QLinearGradient body(0, 10, 0, 140);
    body.setColorAt(0, QColor(250, 251, 252));
    body.setColorAt(1, QColor(200, 208, 218));
    p.setPen(QPen(QColor(110, 120, 135), 2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(18, 10, 76, 128), 12, 12);
    QLinearGradient screen(0, 20, 0, 66);
    screen.setColorAt(0, kBlue.lighter(160));
    screen.setColorAt(1, kBlue.lighter(110));
    p.setPen(QPen(QColor(80, 90, 105), 1.5));
    p.setBrush(screen);
    p.drawRoundedRect(QRectF(27, 20, 58, 46), 3, 3);
    p.setBrush(QColor(235, 238, 242));
    p.drawEllipse(QRectF(34, 76, 44, 44));
    p.setBrush(QColor(205, 212, 222));
    p.drawEllipse(QRectF(49, 91, 14, 14));
    Badge(p, QRectF(70, 96, 44, 44), kBlue.lighter(140), kDarkBlue);
    p.setFont(BoldFont(30, "DejaVu Serif"));
    p.setPen(Qt::white);
    p.drawText(QRectF(70, 96, 44, 44), Qt::AlignCenter, QStringLiteral("i"));
    return image;
}

void SelectionBox(QPainter& p, QRectF box, const char* label, QPointF labelAt) {
    p.setPen(QPen(kRed, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(box, 5, 5);
    p.setFont(BoldFont(16));
    p.setPen(kRed);
    p.drawText(QRectF(labelAt, QSizeF(40, 22)), Qt::AlignCenter, QString::fromLatin1(label));
}

// A sketch of the media player's device page: (A) the device in the side
// bar, (B) the option that lets the computer use the player as a disk. The
// top 120 pixels stay white for the two instruction texts.
QImage IpodHelpImage() {
    QImage image = Blank(523, 478, Qt::white);
    QPainter p(&image);
    Smooth(p);
    const QRectF window(12, 124, 499, 342);
    p.setPen(QPen(QColor(120, 128, 140), 1.5));
    p.setBrush(QColor(250, 250, 250));
    p.drawRoundedRect(window, 6, 6);
    QLinearGradient title(0, window.top(), 0, window.top() + 26);
    title.setColorAt(0, QColor(235, 238, 242));
    title.setColorAt(1, QColor(205, 210, 218));
    p.setBrush(title);
    p.drawRect(QRectF(window.left(), window.top(), window.width(), 26));
    p.setBrush(QColor(225, 228, 232));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QRectF(window.left() + 10 + i * 16, window.top() + 8, 10, 10));

    // Side bar.
    const QRectF side(window.left(), window.top() + 26, 140, window.height() - 26);
    p.setPen(QPen(QColor(180, 186, 195), 1));
    p.setBrush(QColor(226, 233, 242));
    p.drawRect(side);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    QFont heading = font;
    heading.setBold(true);
    heading.setPixelSize(11);
    auto sideText = [&](double y, const QString& text, bool head) {
        p.setFont(head ? heading : font);
        p.setPen(head ? QColor(100, 110, 125) : QColor(30, 30, 30));
        p.drawText(QRectF(side.left() + (head ? 10 : 22), y, 110, 18),
                   Qt::AlignLeft | Qt::AlignVCenter, text);
    };
    sideText(side.top() + 10, QStringLiteral("LIBRARY"), true);
    sideText(side.top() + 30, QStringLiteral("Music"), false);
    sideText(side.top() + 50, QStringLiteral("Movies"), false);
    sideText(side.top() + 70, QStringLiteral("Podcasts"), false);
    sideText(side.top() + 100, QStringLiteral("DEVICES"), true);
    const QRectF device(side.left() + 4, side.top() + 120, side.width() - 8, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(device);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(device.adjusted(18, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("iPod"));
    sideText(side.top() + 186, QStringLiteral("PLAYLISTS"), true);
    sideText(side.top() + 206, QStringLiteral("Recently Added"), false);
    SelectionBox(p, device.adjusted(-3, -4, 3, 4), "(A)",
                 QPointF(device.center().x() - 20, device.bottom() + 6));

    // Device page.
    const double left = side.right() + 20;
    p.setFont(heading);
    p.setPen(QColor(30, 30, 30));
    const QStringList tabs = {QStringLiteral("Summary"), QStringLiteral("Music"),
                              QStringLiteral("Photos")};
    for (int i = 0; i < tabs.size(); ++i) {
        const QRectF tab(left + i * 80, window.top() + 38, 74, 22);
        p.setPen(QPen(QColor(170, 176, 186), 1));
        p.setBrush(i == 0 ? QColor(205, 215, 230) : QColor(240, 242, 245));
        p.drawRoundedRect(tab, 4, 4);
        p.setPen(QColor(30, 30, 30));
        p.drawText(tab, Qt::AlignCenter, tabs[i]);
    }
    p.setFont(font);
    p.drawText(QRectF(left, window.top() + 76, 300, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Name: iPod"));
    p.drawText(QRectF(left, window.top() + 96, 300, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Capacity: 7.45 GB"));
    p.setFont(heading);
    p.drawText(QRectF(left, window.top() + 130, 300, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Options"));
    p.setFont(font);
    const QStringList options = {QStringLiteral("Open when this iPod is connected"),
                                 QStringLiteral("Sync only checked songs"),
                                 QStringLiteral("Manually manage music"),
                                 QStringLiteral("Enable disk use")};
    QRectF enableRow;
    for (int i = 0; i < options.size(); ++i) {
        const double y = window.top() + 156 + i * 26;
        const QRectF box(left + 4, y + 3, 12, 12);
        p.setPen(QPen(QColor(110, 118, 130), 1));
        p.setBrush(Qt::white);
        p.drawRect(box);
        const bool ticked = i >= 2;
        if (ticked) {
            p.setPen(QPen(kBlue, 2));
            p.drawLine(box.topLeft() + QPointF(2.5, 6), box.topLeft() + QPointF(5, 9.5));
            p.drawLine(box.topLeft() + QPointF(5, 9.5), box.topLeft() + QPointF(10, 2.5));
        }
        p.setPen(QColor(30, 30, 30));
        p.drawText(QRectF(left + 24, y, 280, 18), Qt::AlignLeft | Qt::AlignVCenter, options[i]);
        if (i == 3) enableRow = QRectF(left - 2, y - 4, 150, 26);
    }
    SelectionBox(p, enableRow, "(B)", QPointF(enableRow.right() + 8, enableRow.top() + 2));
    const QRectF apply(window.right() - 96, window.bottom() - 40, 80, 26);
    p.setPen(QPen(QColor(120, 128, 140), 1));
    p.setBrush(QColor(235, 238, 242));
    p.drawRoundedRect(apply, 5, 5);
    p.setPen(QColor(30, 30, 30));
    p.drawText(apply, Qt::AlignCenter, QStringLiteral("Apply"));
    return image;
}

}  // namespace

const std::vector<NamedImage>& AllImages() {
    static const std::vector<NamedImage> images = {
        {"help.png", HelpImage},
        {"load_log.png", LoadLogImage},
        {"save_log.png", SaveLogImage},
        {"exit.png", ExitImage},
        {"save.png", SaveImage},
        {"next.png", NextImage},
        {"back.png", BackImage},
        {"search_more_partitions.png", SearchMoreImage},
        {"stop_searching_partitions.png", StopSearchingPartitionsImage},
        {"stop_search.png", StopSearchImage},
        {"refresh_list.png", RefreshImage},
        {"about_us.png", AboutImage},
        {"tree_computer.png", ComputerImage},
        {"tree_disk.png", DiskImage},
        {"tree_partition.png", PartitionImage},
        {"tree_folder.png", FolderImage},
        {"tree_deleted_folder.png", DeletedFolderImage},
        {"tree_folder_open.png", OpenFolderImage},
        {"tree_folder_opened.png", OpenedFolderImage},
        {"tree_folder_passed.png", PassedFolderImage},
        {"tree_file_system.png", FileSystemImage},
        {"window_icon.png", WindowIcon},
        {"splash.png", SplashImage},
        {"notice.png", NoticeImage},
        {"ipod_help.png", IpodHelpImage},
    };
    return images;
}

}  // namespace datrevo::ui::art
