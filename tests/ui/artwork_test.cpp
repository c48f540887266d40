// The artwork built into the program: every icon at its sizes, the bitmaps at their own size,
// opaque on white so that both transparent colours of a bitmap button work.
#include "res/artwork.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

namespace {

QImage RenderIcon(int id, int size) {
    return res::Icon(id).pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage RenderBitmap(int id) {
    return QImage(res::BitmapPath(id)).convertToFormat(QImage::Format_ARGB32);
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
        ASSERT_EQ(QImage(res::IconPath(id)).size(), QSize(256, 256)) << id;
        // Every rendered size is there, so no size is scaled from a far larger image.
        for (int rendered : res::IconSizes()) {
            const QString path = QStringLiteral(":/icons/%1-%2.png").arg(id).arg(rendered);
            ASSERT_EQ(QImage(path).size(), QSize(rendered, rendered)) << path.toStdString();
        }
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
    EXPECT_EQ(QImage(res::BitmapPath(155)).size(), QSize(22, 22));
    EXPECT_EQ(QImage(res::BitmapPath(156)).size(), QSize(16, 16));
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
    // The icon button finds its images by these names.
    EXPECT_EQ(res::IconPath(135), QStringLiteral(":/icons/135.png"));
    EXPECT_EQ(res::BitmapPath(156), QStringLiteral(":/bitmaps/156.png"));
}

}  // namespace
