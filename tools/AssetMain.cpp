// tumblox_assets: writes every texture and the font the game loads, made
// from code and one TrueType font, deterministically (the same sources give
// the same bytes). Everything is rendered in memory first; files are only
// written when all of it succeeded, each one under a temporary name that is
// renamed into place.
//
//   tumblox_assets --out DIR [--font FILE.ttf] [--contact-sheet FILE.png] [--icons DIR]

#include "platform/DurableFile.h"
#include "tools/BlockArt.h"
#include "tools/ContactSheet.h"
#include "tools/FontBaker.h"
#include "tools/FontLicence.h"
#include "tools/GuiArt.h"
#include "tools/Icons.h"
#include "tools/KytWriter.h"
#include "tools/PngWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <string>
#include <utility>
#include <vector>

namespace
{

const char* const defaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const fontFileName = "Zived Udozo.kyf";
const char* const licenceFileName = "Zived Udozo.LICENSE";

// mkdir -p; reports failures.
bool MakeDirectories(const std::string& path)
{
    if (path.empty())
        return true;
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos)
    {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty() || partial == "/")
            continue;
        if (mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
        {
            std::fprintf(stderr, "tumblox_assets: cannot create directory '%s': %s\n", partial.c_str(),
                         std::strerror(errno));
            return false;
        }
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    {
        std::fprintf(stderr, "tumblox_assets: '%s' is not a directory\n", path.c_str());
        return false;
    }
    return true;
}

// Makes the file's directory if needed and saves the bytes durably, so that
// no half-written file is ever left under the final name. The temporary name
// carries the process id, so that two builds writing the same tree at once
// cannot tread on each other's half-written file.
bool WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && !MakeDirectories(path.substr(0, slash)))
        return false;
    const int error = KyDurableFile_Write(path, bytes.data(), bytes.size(), false, std::rename);
    if (error)
    {
        std::fprintf(stderr, "tumblox_assets: cannot write '%s': %s\n", path.c_str(), std::strerror(error));
        return false;
    }
    return true;
}

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
    for (int i = 1; i < argc; ++i)
    {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
        {
            PrintUsage(stdout);
            return false;
        }
        if (i + 1 >= argc)
        {
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
        else
        {
            std::fprintf(stderr, "tumblox_assets: unknown option '%s'\n", arg.c_str());
            PrintUsage(stderr);
            return false;
        }
    }
    if (options.outDir.empty() && options.contactSheet.empty() && options.iconDir.empty())
    {
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
    if (!options.outDir.empty())
    {
        for (int i = 0; i < blockCount; ++i)
        {
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
    if (!options.contactSheet.empty())
    {
        Image sheet = PaintContactSheet(blocks, faces, font);
        std::vector<uint8_t> png = EncodePng(sheet.ToRGB8(), sheet.Width(), sheet.Height(), 3);
        if (png.empty())
        {
            std::fprintf(stderr, "tumblox_assets: cannot compress the contact sheet\n");
            return 1;
        }
        files.emplace_back(options.contactSheet, std::move(png));
    }

    if (!options.iconDir.empty() && !AddIconFiles(options.iconDir, files))
        return 1;

    for (const auto& file : files)
        if (!WriteOutputFile(file.first, file.second))
            return 1;
    return 0;
}
