#pragma once
// A photo as a phone camera writes it: a JPEG whose EXIF block holds the orientation,
// the camera's serial number and the GPS position where it was taken.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

namespace testsupport {

// The GPS latitude written into every camera photo ("N", 31° 14′ …): a published file
// that still holds these bytes still tells where the photo was taken.
inline QByteArray gpsMark() {
    return QByteArray("N\0", 2);
}
inline const char kCameraSerial[] = "SN-ORV-77881";

// The EXIF segment (APP1): IFD0 with Orientation, BodySerialNumber and a GPS IFD with
// GPSLatitudeRef and GPSLatitude (`seconds` hundredths, so that photos differ).
inline QByteArray exifSegment(int orientation, int seconds) {
    QByteArray t; // TIFF, big-endian
    const auto u16 = [&](int v) { t.append(char(v >> 8)).append(char(v & 0xff)); };
    const auto u32 = [&](quint32 v) { u16(int(v >> 16)); u16(int(v & 0xffff)); };
    const QByteArray serial = QByteArray(kCameraSerial) + '\0';
    t.append("MM", 2);
    u16(42);
    u32(8);
    // IFD0 at 8: three entries.
    const quint32 ifd0End = 8 + 2 + 3 * 12 + 4;        // 50
    const quint32 serialAt = ifd0End;                   // the serial's text
    const quint32 gpsAt = serialAt + quint32(serial.size() + (serial.size() & 1));
    const quint32 gpsEnd = gpsAt + 2 + 2 * 12 + 4;
    u16(3);
    u16(0x0112); u16(3); u32(1); u16(orientation); u16(0);
    u16(0x8825); u16(4); u32(1); u32(gpsAt);
    u16(0xA431); u16(2); u32(quint32(serial.size())); u32(serialAt);
    u32(0);
    t.append(serial);
    if (serial.size() & 1)
        t.append('\0');
    // The GPS IFD: the reference inline, the latitude as three rationals after it.
    u16(2);
    u16(1); u16(2); u32(2); t.append(gpsMark()); u16(0);
    u16(2); u16(5); u32(3); u32(gpsEnd);
    u32(0);
    u32(31); u32(1); u32(14); u32(1); u32(quint32(1000 + seconds)); u32(100);
    QByteArray app1("\xFF\xE1", 2);
    const int length = 2 + 6 + int(t.size());
    app1.append(char(length >> 8)).append(char(length & 0xff));
    app1.append("Exif\0\0", 6);
    return app1 + t;
}

// The same JPEG with an EXIF segment of its own.
inline QByteArray withExif(const QByteArray& jpeg, int orientation, int seconds) {
    int at = 2; // after SOI, and after the JFIF APP0 when there is one
    if (jpeg.size() > 6 && quint8(jpeg.at(2)) == 0xFF && quint8(jpeg.at(3)) == 0xE0)
        at = 4 + ((quint8(jpeg.at(4)) << 8) | quint8(jpeg.at(5)));
    return jpeg.left(at) + exifSegment(orientation, seconds) + jpeg.mid(at);
}

// A JPEG of `width` × `height` with fine detail (so it weighs what a camera's does), the
// EXIF segment right after its JFIF header.
inline QByteArray cameraJpeg(int width, int height, int orientation, int seconds, int quality = 90) {
    QImage img(width, height, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(noise.generate() & 31);
            line[x] = qRgb((x * 255 / width + n) & 255, (y * 255 / height + n) & 255, (96 + n * 2) & 255);
        }
    }
    {
        // Which way is up: a dark block at the top left of the sensor.
        QPainter p(&img);
        p.fillRect(0, 0, width / 4, height / 4, Qt::black);
    }
    QByteArray jpeg;
    QBuffer buf(&jpeg);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPEG", quality);
    return withExif(jpeg, orientation, seconds);
}

// A baseline TIFF (uncompressed RGB) of `width` × `height` in one colour, as a scanner
// might leave it.
inline QByteArray plainTiff(int width, int height) {
    QByteArray t("II*\0", 4);
    const auto u16 = [&](int v) { t.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
    const auto u32 = [&](quint32 v) { u16(int(v & 0xffff)); u16(int(v >> 16)); };
    const quint32 bitsAt = 8 + 2 + 9 * 12 + 4, dataAt = bitsAt + 6;
    const auto entry = [&](int tag, int type, quint32 count, quint32 value) {
        u16(tag); u16(type); u32(count); u32(value);
    };
    u32(8);
    u16(9);
    entry(256, 4, 1, quint32(width));
    entry(257, 4, 1, quint32(height));
    entry(258, 3, 3, bitsAt);
    entry(259, 3, 1, 1);
    entry(262, 3, 1, 2);
    entry(273, 4, 1, dataAt);
    entry(277, 3, 1, 3);
    entry(278, 4, 1, quint32(height));
    entry(279, 4, 1, quint32(width * height * 3));
    u32(0);
    u16(8); u16(8); u16(8);
    for (int i = 0; i < width * height; ++i)
        t.append(char(40)).append(char(140)).append(char(90));
    return t;
}

} // namespace testsupport
