// Draws the program's artwork: the banners 135 (English) and 136 (Hungarian), 421 x 65 pixels
// at 24 bits per pixel, the icon 128 at 32 and 64 pixels, and the same icon for the desktop's
// icon theme in icons/ at 16 to 256 pixels. The PNGs are kept in res/ beside this source; run it
// again after a change:
//   QT_QPA_PLATFORM=offscreen build/ui/varnadex-artwork res
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <QDir>

#include <cstdio>
#include <cstring>

namespace {

const QColor kDeep(0x0b, 0x2a, 0x3c);
const QColor kSea(0x13, 0x5e, 0x74);
const QColor kSignal(0xf2, 0xa5, 0x3a);
const QColor kPale(0xd9, 0xee, 0xf2);

// A 9-pin serial connector seen from the front, centred on `c`, `w` wide.
void drawSerialConnector(QPainter& p, QPointF c, double w, const QColor& body, const QColor& pins) {
    const double h = w * 0.5;
    QPainterPath shell;
    shell.moveTo(c.x() - w / 2, c.y() - h / 2);
    shell.lineTo(c.x() + w / 2, c.y() - h / 2);
    shell.lineTo(c.x() + w * 0.40, c.y() + h / 2);
    shell.lineTo(c.x() - w * 0.40, c.y() + h / 2);
    shell.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawPath(shell);
    p.setBrush(pins);
    const double r = w * 0.045;
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(c.x() - w * 0.32 + i * w * 0.16, c.y() - h * 0.18), r, r);
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(c.x() - w * 0.24 + i * w * 0.16, c.y() + h * 0.20), r, r);
}

// An Ethernet jack seen from the front, centred on `c`, `w` wide.
void drawEthernetJack(QPainter& p, QPointF c, double w, const QColor& body, const QColor& hole) {
    const double h = w * 0.82;
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(c.x() - w / 2, c.y() - h / 2, w, h), w * 0.08, w * 0.08);
    QPainterPath opening;
    const double ow = w * 0.70, top = c.y() - h * 0.28, bottom = c.y() + h * 0.34;
    opening.moveTo(c.x() - ow / 2, top);
    opening.lineTo(c.x() + ow / 2, top);
    opening.lineTo(c.x() + ow / 2, bottom - h * 0.16);
    opening.lineTo(c.x() + ow * 0.2, bottom - h * 0.16);
    opening.lineTo(c.x() + ow * 0.2, bottom);
    opening.lineTo(c.x() - ow * 0.2, bottom);
    opening.lineTo(c.x() - ow * 0.2, bottom - h * 0.16);
    opening.lineTo(c.x() - ow / 2, bottom - h * 0.16);
    opening.closeSubpath();
    p.setBrush(hole);
    p.drawPath(opening);
    p.setBrush(body);
    const double contact = ow / 8;
    for (int i = 0; i < 8; ++i)
        p.drawRect(
            QRectF(c.x() - ow / 2 + i * contact + contact * 0.3, top, contact * 0.4, h * 0.12));
}

// Serial bits travelling from left to right: a square wave, `bits` wide.
void drawBits(QPainter& p, QPointF from, double width, double height, const char* bits,
              const QPen& pen) {
    QPainterPath wave;
    const int n = int(std::strlen(bits));
    const double step = width / n;
    double y = from.y();
    wave.moveTo(from);
    for (int i = 0; i < n; ++i) {
        const double level = bits[i] == '1' ? from.y() - height : from.y();
        if (level != y) {
            wave.lineTo(from.x() + i * step, level);
            y = level;
        }
        wave.lineTo(from.x() + (i + 1) * step, y);
    }
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

QImage banner(const QString& tagline) {
    QImage image(421, 65, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 421, 65);
    sky.setColorAt(0.0, kDeep);
    sky.setColorAt(1.0, kSea);
    p.fillRect(image.rect(), sky);

    // A thin signal line along the foot of the banner.
    p.fillRect(QRectF(0, 62, 421, 3), kSignal);

    // The motif: serial in, bits across, Ethernet out.
    drawSerialConnector(p, QPointF(30, 31), 34, kPale, kDeep);
    QPen wavePen(kSignal, 2.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    drawBits(p, QPointF(52, 38), 50, 13, "0101100101", wavePen);
    drawEthernetJack(p, QPointF(122, 31), 28, kPale, kDeep);

    p.setPen(QColor(255, 255, 255, 60));
    p.drawLine(QPointF(148.5, 12), QPointF(148.5, 52));

    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(27);
    name.setBold(true);
    name.setLetterSpacing(QFont::PercentageSpacing, 104);
    p.setFont(name);
    p.setPen(Qt::white);
    p.drawText(QRectF(162, 5, 250, 34), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("Varnadex"));

    QFont tag(QStringLiteral("DejaVu Sans"));
    tag.setPixelSize(11);
    p.setFont(tag);
    p.setPen(kPale);
    p.drawText(QRectF(163, 40, 255, 16), Qt::AlignLeft | Qt::AlignVCenter, tagline);
    p.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

QImage icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    QLinearGradient sky(0, 0, 32, 32);
    sky.setColorAt(0.0, kSea);
    sky.setColorAt(1.0, kDeep);
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);

    drawSerialConnector(p, QPointF(10, 10.5), 14, kPale, kDeep);
    drawEthernetJack(p, QPointF(22.5, 22), 12, kPale, kDeep);
    QPen wavePen(kSignal, 1.8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    drawBits(p, QPointF(4, 27), 12, 5, "0110", wavePen);
    drawBits(p, QPointF(17, 10), 11, 5, "1010", wavePen);
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    bool ok = banner(QStringLiteral("Serial-to-Ethernet converter configuration"))
                  .save(dir + QStringLiteral("/135.png")) &&
              banner(QStringLiteral("Soros-Ethernet konverter beállítása"))
                  .save(dir + QStringLiteral("/136.png")) &&
              icon(32).save(dir + QStringLiteral("/128.png")) &&
              icon(64).save(dir + QStringLiteral("/128-64.png")) &&
              QDir(dir).mkpath(QStringLiteral("icons"));
    for (int size : {16, 32, 48, 64, 128, 256})
        ok = ok && icon(size).save(dir + QStringLiteral("/icons/varnadex-%1.png").arg(size));
    if (!ok) std::fprintf(stderr, "could not write the artwork to %s\n", qPrintable(dir));
    return ok ? 0 : 1;
}
