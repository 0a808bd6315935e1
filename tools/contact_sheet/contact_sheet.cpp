// Contact sheet of a drive: every picture as it will be shown, and a
// shaded view of every mesh, written as one PNG per entry and one sheet
// with all of them, so the production's data can be looked at without
// running the program.
//   amber_contact_sheet DRIVE OUTPUT_FOLDER
// Meshes are drawn by a small software rasteriser: faces turned toward the
// viewer in grey, faces showing their back (an inside-out or open mesh) in
// red.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/cfs.h"
#include "archive/cfs_tiles.h"
#include "media/png_write.h"
#include "platform/fatal.h"
#include "tools/mkdrive/glyphs.h"
#include "tools/tool_args.h"

namespace {

constexpr int kMeshView = 400;     // pixels of a mesh view
constexpr int kSupersample = 2;    // rendered larger, then averaged down
constexpr int kSheetWidth = 1320;  // two 640-pixel pictures side by side
constexpr int kGap = 12;           // between cells
constexpr int kLabelHeight = 24;
constexpr uint8_t kSheetGrey = 64;  // shows both black and white grounds

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;  // rows from the top down
};

Image SHEET_Blank(int w, int h, uint8_t grey) {
    return {w, h, std::vector<uint8_t>(size_t(w) * h * 3, grey)};
}

void SHEET_Fatal(const char* what) {
    FATAL_Exit(("SHEET_Main: FATAL_ERROR: " + std::string(what) + "\n").c_str());
}

void SHEET_Save(const Image& img, const std::string& path) {
    if (!MEDIA_WritePng(path, img.rgb, img.w, img.h)) SHEET_Fatal("Could not write a PNG file.");
}

Image SHEET_Picture(const CFS_Pict& p) {
    return {int(p.tile_width * p.tiles_across), int(p.tile_height * p.tiles_down), CFS_Untile(p)};
}

struct V3 {
    double x, y, z;
};

V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Turns a mesh point into view space: a three-quarter view, or straight on
// for a flat mesh (the glyphs), so that letters read.
V3 SHEET_View(V3 p, bool flat) {
    double yaw = flat ? 0 : 0.6, pitch = flat ? 0 : 0.35;
    V3 q{p.x * std::cos(yaw) + p.z * std::sin(yaw), p.y, p.z * std::cos(yaw) - p.x * std::sin(yaw)};
    return {q.x, q.y * std::cos(pitch) - q.z * std::sin(pitch),
            q.y * std::sin(pitch) + q.z * std::cos(pitch)};
}

// The mesh view from its supersampled colours, each pixel their mean.
Image SHEET_Downsample(const std::vector<std::array<double, 3>>& colour) {
    const int size = kMeshView * kSupersample;
    Image img = SHEET_Blank(kMeshView, kMeshView, 0);
    for (int y = 0; y < kMeshView; ++y)
        for (int x = 0; x < kMeshView; ++x)
            for (int ch = 0; ch < 3; ++ch) {
                double sum = 0;
                for (int sy = 0; sy < kSupersample; ++sy)
                    for (int sx = 0; sx < kSupersample; ++sx)
                        sum += colour[(y * kSupersample + sy) * size + x * kSupersample + sx][ch];
                img.rgb[(y * kMeshView + x) * 3 + ch] =
                    uint8_t(std::lround(sum / (kSupersample * kSupersample)));
            }
    return img;
}

// Flat-shaded, depth-tested view of a mesh, fitted to the view square.
Image SHEET_Mesh(const CFS_Mesh& m) {
    const int size = kMeshView * kSupersample;
    bool flat = true;
    for (uint32_t i = 0; i < m.numfaces * 9; i += 3) flat = flat && m.tris[i + 2] == m.tris[2];
    std::vector<V3> v(m.numfaces * 3);
    V3 lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
    for (size_t i = 0; i < v.size(); ++i) {
        v[i] = SHEET_View({m.tris[i * 3], m.tris[i * 3 + 1], m.tris[i * 3 + 2]}, flat);
        lo = {std::min(lo.x, v[i].x), std::min(lo.y, v[i].y), std::min(lo.z, v[i].z)};
        hi = {std::max(hi.x, v[i].x), std::max(hi.y, v[i].y), std::max(hi.z, v[i].z)};
    }
    double scale = 0.9 * size / std::max({hi.x - lo.x, hi.y - lo.y, 1e-9});
    double cx = (lo.x + hi.x) / 2, cy = (lo.y + hi.y) / 2;
    std::vector<double> depth(size * size, -1e30);
    std::vector<std::array<double, 3>> colour(size * size, {40, 40, 48});
    const V3 light{-0.4, 0.6, 0.7};
    const double light_len = std::sqrt(light.x * light.x + light.y * light.y + light.z * light.z);
    auto screen = [&](V3 p) {
        return V3{size / 2 + (p.x - cx) * scale, size / 2 - (p.y - cy) * scale, p.z};
    };
    for (uint32_t f = 0; f < m.numfaces; ++f) {
        // The normal from the winding, in view space (z toward the viewer).
        V3 n = Cross(Sub(v[f * 3 + 1], v[f * 3]), Sub(v[f * 3 + 2], v[f * 3 + 1]));
        double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (len == 0) continue;
        bool facing = n.z > 0;
        double cosine = (n.x * light.x + n.y * light.y + n.z * light.z) / (len * light_len);
        double shade = 0.25 + 0.75 * std::max(0.0, facing ? cosine : -cosine);
        std::array<double, 3> base =
            facing ? std::array<double, 3>{205, 205, 215} : std::array<double, 3>{225, 50, 50};
        V3 a = screen(v[f * 3]), b = screen(v[f * 3 + 1]), c = screen(v[f * 3 + 2]);
        int x0 = std::max(0, int(std::min({a.x, b.x, c.x}))),
            x1 = std::min(size - 1, int(std::max({a.x, b.x, c.x})) + 1);
        int y0 = std::max(0, int(std::min({a.y, b.y, c.y}))),
            y1 = std::min(size - 1, int(std::max({a.y, b.y, c.y})) + 1);
        double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        if (area == 0) continue;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                double px = x + 0.5, py = y + 0.5;
                double w0 = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
                double w1 = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
                double w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                double z = w0 * a.z + w1 * b.z + w2 * c.z;
                if (z <= depth[y * size + x]) continue;
                depth[y * size + x] = z;
                colour[y * size + x] = {base[0] * shade, base[1] * shade, base[2] * shade};
            }
    }
    return SHEET_Downsample(colour);
}

void SHEET_Paste(Image& dst, const Image& src, int left, int top) {
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x)
            if (left + x < dst.w && top + y < dst.h)
                std::copy_n(&src.rgb[(y * src.w + x) * 3], 3,
                            &dst.rgb[((top + y) * dst.w + left + x) * 3]);
}

// A cell: the entry's image with its name and size written under it.
Image SHEET_Cell(const Image& body, const std::string& label) {
    GLYPH_Bitmap text = GLYPH_RenderText("DejaVuSans.ttf", 13, label, 0);
    Image cell = SHEET_Blank(std::max(body.w, text.width), body.h + kLabelHeight, kSheetGrey);
    SHEET_Paste(cell, body, 0, 0);
    int top = body.h + 17 - text.baseline;
    for (int y = 0; y < text.height; ++y)
        for (int x = 0; x < text.width; ++x) {
            uint8_t* p = &cell.rgb[((top + y) * cell.w + x) * 3];
            double a = text.coverage[y * text.width + x] / 255.0;
            for (int ch = 0; ch < 3; ++ch) p[ch] = uint8_t(std::lround(p[ch] + (235 - p[ch]) * a));
        }
    return cell;
}

// Lays the cells out in rows across the sheet.
Image SHEET_Layout(const std::vector<Image>& cells) {
    std::vector<std::array<int, 2>> at;
    int x = kGap, y = kGap, row_h = 0;
    for (const Image& c : cells) {
        if (x + c.w + kGap > kSheetWidth && x > kGap) x = kGap, y += row_h + kGap, row_h = 0;
        at.push_back({x, y});
        x += c.w + kGap;
        row_h = std::max(row_h, c.h);
    }
    Image sheet = SHEET_Blank(kSheetWidth, y + row_h + kGap, kSheetGrey);
    for (size_t i = 0; i < cells.size(); ++i) SHEET_Paste(sheet, cells[i], at[i][0], at[i][1]);
    return sheet;
}

}  // namespace

int main(int argc, char** argv) {
    TOOL_ARGS_Operands(argc, argv, 2, "usage: amber_contact_sheet DRIVE OUTPUT_FOLDER\n");
    std::filesystem::create_directories(argv[2]);
    const std::string dir = argv[2];
    CFS_Open(argv[1]);
    std::vector<CFS_Entry> entries(cfs_directory, cfs_directory + cfs_nfiles);
    std::vector<Image> cells;
    for (const CFS_Entry& e : entries) {
        std::string name(e.name, strnlen(e.name, CFS_NAME_SIZE));
        Image body;
        std::string label;
        if (e.type == CFS_TYPE_PNG24) {
            CFS_Pict* p = CFS_ReadPNG24(name.c_str());
            body = SHEET_Picture(*p);
            label = name + "  " + std::to_string(body.w) + " x " + std::to_string(body.h) +
                    ", tiles " + std::to_string(p->tile_width) + " x " +
                    std::to_string(p->tile_height);
        } else if (e.type == CFS_TYPE_ASE) {
            CFS_Mesh* m = CFS_ReadASE(name.c_str());
            body = SHEET_Mesh(*m);
            label = name + "  " + std::to_string(m->numfaces) + " triangles";
        } else {
            continue;
        }
        SHEET_Save(body, dir + "/" + name + ".png");
        cells.push_back(SHEET_Cell(body, label));
    }
    CFS_Close();
    SHEET_Save(SHEET_Layout(cells), dir + "/contact_sheet.png");
    printf("amber_contact_sheet: %zu entries, sheet %s/contact_sheet.png\n", cells.size(),
           dir.c_str());
    return 0;
}
