// tumblox_assets: writes every texture and the font the game loads, made
// from code and one TrueType font, deterministically (the same sources give
// the same bytes). Everything is rendered in memory first; files are only
// written when all of it succeeded, each one under a temporary name that is
// renamed into place.
//
//   tumblox_assets --out DIR [--font FILE.ttf] [--contact-sheet FILE.png] [--icons DIR]

#include "tools/AtomicFile.h"
#include "tools/BlockArt.h"
#include "tools/ContactSheet.h"
#include "tools/FontBaker.h"
#include "tools/FontLicence.h"
#include "tools/GuiArt.h"
#include "tools/Icons.h"
#include "tools/KytWriter.h"
#include "tools/PngWriter.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const defaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const fontFileName = "Zived Udozo.kyf";
const char* const licenceFileName = "Zived Udozo.LICENSE";

struct Options
{
    std::string outDir;
    std::string fontPath = defaultFont;
    std::string contactSheet;
    std::string iconDir;
};

void PrintUsage(FILE* to)
{
    std::fprintf(to,
                 "usage: tumblox_assets [--out DIR] [--font FILE.ttf] [--contact-sheet FILE.png] [--icons DIR]\n"
                 "  --out DIR            write textures/*.kyt, \"%s\" and its licence into DIR\n"
                 "  --font FILE.ttf      the TrueType font to render (default %s)\n"
                 "  --contact-sheet PNG  write one picture of every asset\n"
                 "  --icons DIR          write the icon as DIR/<size>x<size>/tumblox.png\n",
                 fontFileName, defaultFont);
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return false;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "tumblox_assets: '%s' needs a value, or is unknown\n", arg.c_str());
            PrintUsage(stderr);
            return false;
        }
        std::string value = argv[++i];
        if (arg == "--out")
            options.outDir = value;
        else if (arg == "--font")
            options.fontPath = value;
        else if (arg == "--contact-sheet")
            options.contactSheet = value;
        else if (arg == "--icons")
            options.iconDir = value;
        else {
            std::fprintf(stderr, "tumblox_assets: unknown option '%s'\n", arg.c_str());
            PrintUsage(stderr);
            return false;
        }
    }
    if (options.outDir.empty() && options.contactSheet.empty() && options.iconDir.empty()) {
        std::fprintf(stderr, "tumblox_assets: nothing to do: give --out, --contact-sheet and/or --icons\n");
        PrintUsage(stderr);
        return false;
    }
    return true;
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty() || dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options))
        return (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) ? 0 : 2;

    // The icons alone need no font.
    BakedFont font;
    if ((!options.outDir.empty() || !options.contactSheet.empty()) && !BakeFont(options.fontPath, font))
        return 1;

    std::vector<Image> blocks;
    for (int i = 0; i < blockCount; ++i)
        blocks.push_back(PaintBlock(i));
    std::vector<Image> faces = {PaintGuiFace(GuiFace::Button), PaintGuiFace(GuiFace::ButtonHover),
                                PaintGuiFace(GuiFace::ButtonDown), PaintGuiFace(GuiFace::Edit)};

    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    if (!options.outDir.empty()) {
        for (int i = 0; i < blockCount; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "textures/block%02d.kyt", i + 1);
            files.emplace_back(name, EncodeKyt(blocks[i]));
        }
        const char* faceNames[] = {"textures/KyMinGUI_Button.kyt", "textures/KyMinGUI_Button_H.kyt",
                                   "textures/KyMinGUI_Button_D.kyt", "textures/KyMinGUI_Edit.kyt"};
        for (int i = 0; i < 4; ++i)
            files.emplace_back(faceNames[i], EncodeKyt(faces[i]));
        files.emplace_back(fontFileName, EncodeKyf(font));
        const char* licence = fontLicenceText;
        files.emplace_back(licenceFileName, std::vector<uint8_t>(licence, licence + std::strlen(licence)));
        for (auto& file : files)
            file.first = JoinPath(options.outDir, file.first);
    }
    if (!options.contactSheet.empty()) {
        Image sheet = PaintContactSheet(blocks, faces, font);
        std::vector<uint8_t> png = EncodePng(sheet.ToRGB8(), sheet.Width(), sheet.Height(), 3);
        if (png.empty()) {
            std::fprintf(stderr, "tumblox_assets: cannot compress the contact sheet\n");
            return 1;
        }
        files.emplace_back(options.contactSheet, std::move(png));
    }

    if (!options.iconDir.empty() && !AddIconFiles(options.iconDir, files))
        return 1;

    for (const auto& file : files)
        if (!WriteFileAtomically(file.first, file.second))
            return 1;
    return 0;
}
