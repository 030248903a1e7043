#include "tools/Supersample.h"

void Supersample(Image& image, int subSamples, float scale, const ShadeAt& shade)
{
    const float step = 1.0f / subSamples;
    for (int ty = 0; ty < image.Height(); ++ty)
        for (int tx = 0; tx < image.Width(); ++tx)
        {
            float r = 0, g = 0, b = 0;
            int covered = 0;
            for (int sy = 0; sy < subSamples; ++sy)
                for (int sx = 0; sx < subSamples; ++sx)
                {
                    Colour c;
                    if (!shade((tx + (sx + 0.5f) * step) * scale, (ty + (sy + 0.5f) * step) * scale, c))
                        continue;
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    ++covered;
                }
            if (covered == 0)
                continue;
            const float n = static_cast<float>(covered);
            image.At(tx, ty) = {r / n, g / n, b / n, n / (subSamples * subSamples)};
        }
}
