// The artwork built into the program: every icon at its sizes, the bitmaps at their own size,
// opaque on white so that both transparent colours of a bitmap button work.
#include "res/artwork.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

QImage RenderIcon(int id, int size) {
    return QIcon(res::IconPath(id))
        .pixmap(size, size)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

QImage RenderBitmap(int id) {
    QSvgRenderer renderer(res::BitmapPath(id));
    QImage image(renderer.defaultSize(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

int OpaquePixels(const QImage& image, int fromRow, int toRow) {
    int count = 0;
    for (int y = fromRow; y < toRow; ++y) {
        for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 0;
    }
    return count;
}

TEST(ArtworkTest, EveryIconIsDrawnAtTheSizesItIsUsedAt) {
    const std::pair<int, std::vector<int>> icons[] = {
        {128, {16, 32, 36, 48}}, {143, {16, 32, 36, 48}}, {135, {16, 36}}, {139, {16, 36}},
        {141, {16, 36}},         {145, {16, 36}},         {147, {16, 36}}, {149, {32}},
    };
    for (const auto& [id, sizes] : icons) {
        ASSERT_TRUE(QFile::exists(res::IconPath(id))) << id;
        ASSERT_TRUE(QSvgRenderer(res::IconPath(id)).isValid()) << id;
        for (int size : sizes) {
            const QImage image = RenderIcon(id, size);
            ASSERT_EQ(image.size(), QSize(size, size)) << id << "@" << size;
            // Something is drawn, and the corners stay see-through.
            EXPECT_GT(OpaquePixels(image, 0, size), size * size / 4) << id << "@" << size;
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << id << "@" << size;
            EXPECT_EQ(qAlpha(image.pixel(size - 1, 0)), 0) << id << "@" << size;
        }
    }
}

TEST(ArtworkTest, BrowseIconLeavesItsOuterRowsEmpty) {
    // The Browse button is lower than its 32-pixel icon; only empty rows may be cut.
    const QImage image = RenderIcon(149, 32);
    EXPECT_EQ(OpaquePixels(image, 0, 4), 0);
    EXPECT_EQ(OpaquePixels(image, 28, 32), 0);
}

TEST(ArtworkTest, BitmapsHaveTheirOwnSize) {
    EXPECT_EQ(QSvgRenderer(res::BitmapPath(155)).defaultSize(), QSize(22, 22));
    EXPECT_EQ(QSvgRenderer(res::BitmapPath(156)).defaultSize(), QSize(16, 16));
}

TEST(ArtworkTest, BitmapsAreOpaqueOnWhiteWithoutMagentaOrBlendedEdges) {
    for (int id : {155, 156}) {
        const QImage image = RenderBitmap(id);
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                ASSERT_EQ(qAlpha(pixel), 255) << id << " at " << x << "," << y;
                ASSERT_NE(pixel & 0xFFFFFF, 0xFF00FFu) << id << " at " << x << "," << y;
                if ((pixel & 0xFFFFFF) == 0xFFFFFFu)
                    continue;
                ++drawn;
                // No near-white pixel that would show as a halo once white is see-through.
                EXPECT_LT(qMin(qRed(pixel), qMin(qGreen(pixel), qBlue(pixel))), 200)
                    << id << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu) << id;
        EXPECT_GT(drawn, image.width() * image.height() / 5) << id;
    }
}

TEST(ArtworkTest, PathsFollowTheResourceConvention) {
    EXPECT_EQ(res::IconPath(135), QStringLiteral(":/icons/135.svg"));
    EXPECT_EQ(res::BitmapPath(156), QStringLiteral(":/bitmaps/156.svg"));
}

}  // namespace
