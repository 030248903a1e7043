// The asset tool's picture operations at the edges of a row: a pixel past
// the last one of a row is the first of the next in memory, so every bound
// is checked where a wrong one would reach across.
#include "tests/tools/AssetReader.h"
#include "tools/Image.h"
#include "tools/KytWriter.h"
#include "tools/PngWriter.h"
#include "tools/Preview.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

const Colour CLEAR = {0, 0, 0, 0};
const Colour RED = {1, 0, 0, 1};
const Colour GREEN = {0, 1, 0, 1};

// A picture whose every pixel differs from every other.
Image Distinct(int width, int height)
{
    Image image(width, height, CLEAR);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.At(x, y) = {(x + 1) / 8.0f, (y + 1) / 8.0f, (x * height + y) / 64.0f, 1.0f};
    return image;
}

std::vector<uint8_t> Bytes(const Image& image)
{
    return image.ToRGBA8();
}

} // namespace

TEST(ToolImage, DrawingStopsAtTheLastPixelOfARow)
{
    Image image(3, 2, CLEAR);
    // Inside at the last column and row; the positions just past them, and
    // before the first, are ignored rather than landing in another row.
    image.Blend(2, 0, RED);
    image.Blend(2, 1, GREEN);
    const std::vector<uint8_t> drawn = Bytes(image);
    struct Point
    {
        int x, y;
    };
    for (const Point p : {Point{3, 0}, Point{-1, 1}, Point{0, 2}, Point{3, 1}})
        image.Blend(p.x, p.y, GREEN);
    EXPECT_EQ(Bytes(image), drawn);
    EXPECT_EQ(ToByte(image.At(2, 0).r), 255);
    EXPECT_EQ(ToByte(image.At(2, 1).g), 255);

    // A paste over the right edge is clipped there, and the pasted picture
    // is read to its own last pixel only.
    Image pasted(4, 2, CLEAR);
    pasted.Paste(Distinct(2, 2), 1, 0);
    for (int y = 0; y < 2; ++y)
    {
        EXPECT_EQ(pasted.At(0, y).a, 0.0f);
        EXPECT_EQ(pasted.At(3, y).a, 0.0f);
        for (int x = 1; x < 3; ++x)
            EXPECT_EQ(ToByte(pasted.At(x, y).b), ToByte(Distinct(2, 2).At(x - 1, y).b)) << x << "," << y;
    }
    Image clipped(3, 2, CLEAR);
    clipped.Paste(Distinct(2, 2), 2, 0);
    EXPECT_EQ(clipped.At(0, 1).a, 0.0f);
    EXPECT_EQ(ToByte(clipped.At(2, 1).b), ToByte(Distinct(2, 2).At(0, 1).b));
}

TEST(ToolImage, BleedingReachesTheLastColumnAndNeverAcrossTheEdge)
{
    // Green before the last column, red at the start of the next row.
    Image image(4, 2, CLEAR);
    image.At(2, 0) = GREEN;
    image.At(0, 1) = RED;
    image.BleedColour(1);
    const Colour edge = image.At(3, 0);
    EXPECT_EQ(edge.a, 0.0f);
    EXPECT_EQ(ToByte(edge.r), 0);
    EXPECT_EQ(ToByte(edge.g), 255);
}

TEST(ToolImage, EveryPixelOfEveryRowReachesTheBytesAndTheFiles)
{
    struct Size
    {
        int width, height;
    };
    for (const Size s : {Size{1, 1}, Size{3, 2}, Size{2, 3}, Size{5, 1}})
    {
        SCOPED_TRACE(testing::Message() << s.width << " x " << s.height);
        const Image image = Distinct(s.width, s.height);
        const std::vector<uint8_t> rgba = image.ToRGBA8();
        ASSERT_EQ(rgba.size(), size_t(s.width) * s.height * 4);
        const std::vector<uint8_t> rgb = image.ToRGB8();
        ASSERT_EQ(rgb.size(), size_t(s.width) * s.height * 3);
        EXPECT_EQ(rgba[rgba.size() - 4], ToByte(image.At(s.width - 1, s.height - 1).r));
        EXPECT_EQ(rgb.back(), ToByte(image.At(s.width - 1, s.height - 1).b));

        // The texture file holds the rows bottom first, each whole.
        const std::vector<uint8_t> kyt = EncodeKyt(image);
        ASSERT_EQ(kyt.size(), size_t(kytHeaderSize) + rgba.size());
        EXPECT_EQ(kyt[6] | (kyt[7] << 8), s.width);
        EXPECT_EQ(kyt[8] | (kyt[9] << 8), s.height);
        const size_t row = size_t(s.width) * 4;
        for (int y = 0; y < s.height; ++y)
            EXPECT_EQ(
                std::vector<uint8_t>(kyt.begin() + kytHeaderSize + row * y,
                                     kyt.begin() + kytHeaderSize + row * (y + 1)),
                std::vector<uint8_t>(rgba.begin() + row * (s.height - 1 - y), rgba.begin() + row * (s.height - y)))
                << "file row " << y;

        // A PNG decodes back to the same bytes, whichever filters its rows got.
        EXPECT_EQ(AssetReader::ReadPng(EncodePng(rgba, s.width, s.height, 4)).pixels, rgba);
        EXPECT_EQ(AssetReader::ReadPng(EncodePng(rgb, s.width, s.height, 3)).pixels, rgb);
    }
}

TEST(ToolImage, SamplingAtTheRightEdgeClampsToTheLastTexelOfTheRow)
{
    const Image image = Distinct(2, 2);
    for (float s : {0.99f, 1.0f, 1.5f})
    {
        EXPECT_EQ(ToByte(SampleNearest(image, s, 0.25f).b), ToByte(image.At(1, 0).b)) << s;
        EXPECT_EQ(ToByte(SampleLinear(image, s, 0.25f).b), ToByte(image.At(1, 0).b)) << s;
    }
    EXPECT_EQ(ToByte(SampleLinear(image, 0.75f, 1.0f).b), ToByte(image.At(1, 1).b));
}
