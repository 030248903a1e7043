#include "tools/Icons.h"

#include "tools/BlockArt.h"
#include "tools/PngWriter.h"

#include <cstdio>

const int iconSizes[iconSizeCount] = {16, 32, 48, 64, 128, 256};

namespace
{

// The first block: the warmest hue and the heart, the one most players see
// first on a five-colour board.
const int iconBlock = 0;

} // namespace

Image PaintIcon(int size)
{
    return PaintBlock(iconBlock, size);
}

bool AddIconFiles(const std::string& dir, std::vector<std::pair<std::string, std::vector<uint8_t>>>& files)
{
    std::vector<std::pair<std::string, std::vector<uint8_t>>> icons;
    for (int size : iconSizes)
    {
        Image icon = PaintIcon(size);
        std::vector<uint8_t> png = EncodePng(icon.ToRGBA8(), size, size, 4);
        if (png.empty())
        {
            std::fprintf(stderr, "tumblox_assets: cannot compress the %dx%d icon\n", size, size);
            return false;
        }
        char name[48];
        std::snprintf(name, sizeof name, "%dx%d/tumblox.png", size, size);
        std::string path = dir;
        if (!path.empty() && path.back() != '/')
            path += '/';
        icons.emplace_back(path + name, std::move(png));
    }
    for (auto& icon : icons)
        files.push_back(std::move(icon));
    return true;
}
