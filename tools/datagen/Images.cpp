// Images: SVG templates filled per animation cell and laid out as strips, and the playing pieces
// drawn from their triangle masks.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "Assets.h"
#include "Raster.h"
#include "Template.h"

namespace datagen
{

namespace
{

constexpr int kImagesVersion = 4;

struct ImageJob {
    RecipeLine recipe;
    std::string templateName;
    Variables vars;
    int cellWidth = 0, cellHeight = 0, cols = 1, rows = 1;
    bool jpeg = false;
    std::string file;        // without extension, relative to images/
    bool reviewOnly = false; // made for the review folder only, not part of the game's set
};

// Named sets of values from "palette" and "style" lines: palettes hold the colours of the art
// direction, styles the shared shapes and looks that recipes take in whole with style=NAME.
using Sets = std::map<std::string, Variables>;

bool IsHexColour(const std::string& value)
{
    if (value.size() != 7 || value[0] != '#')
        return false;
    return std::all_of(value.begin() + 1, value.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// "@set.key" names one value of a set; anything else stands as written.
std::string Resolve(const Sets& sets, const std::string& value, const std::string& where)
{
    if (value.empty() || value[0] != '@')
        return value;
    size_t dot = value.find('.');
    auto set = sets.find(value.substr(1, dot == std::string::npos ? std::string::npos : dot - 1));
    if (dot == std::string::npos || set == sets.end() || !set->second.count(value.substr(dot + 1)))
        Fail(where + ": unknown value " + value);
    return set->second.at(value.substr(dot + 1));
}

// Every value a recipe line gives after its styles are taken in and its names resolved. Colours are
// written as palette names only, so that the art direction is changed in one place.
Variables ResolvedValues(const Sets& sets, const RecipeLine& line, const std::string& where)
{
    Variables vars;
    for (const auto& [key, value] : line.values) {
        if (key == "style")
            continue;
        if (IsHexColour(value))
            Fail(where + ": colour " + value + " written out; name it in a palette");
        vars[key] = Resolve(sets, value, where);
    }
    std::istringstream styles(line.Get("style"));
    std::string name;
    while (std::getline(styles, name, ',')) {
        auto set = sets.find(name);
        if (set == sets.end())
            Fail(where + ": unknown style " + name);
        vars.insert(set->second.begin(), set->second.end());
    }
    return vars;
}

// Geometry of a piece: triangles of 40 x 35 on a lattice of 20 x 35, pointing up when c + r is
// even, the whole 5 x 5 mask drawn with a margin so the outline and glow fit.
constexpr int kPad = 6;
constexpr int kMaskWidth = 120 + 2 * kPad;
constexpr int kMaskHeight = 175 + 2 * kPad;

struct Cell {
    int c, r;
    bool operator<(const Cell& o) const { return c != o.c ? c < o.c : r < o.r; }
    bool operator==(const Cell& o) const { return c == o.c && r == o.r; }
};

bool IsUp(const Cell& cell)
{
    return (cell.c + cell.r) % 2 == 0;
}

void Corners(const Cell& cell, double pts[3][2])
{
    double x = 20.0 * cell.c + kPad, y = 35.0 * cell.r + kPad;
    if (IsUp(cell)) {
        double p[3][2] = {{x + 20, y}, {x + 40, y + 35}, {x, y + 35}};
        std::copy(&p[0][0], &p[0][0] + 6, &pts[0][0]);
    } else {
        double p[3][2] = {{x, y}, {x + 40, y}, {x + 20, y + 35}};
        std::copy(&p[0][0], &p[0][0] + 6, &pts[0][0]);
    }
}

std::set<Cell> ParseCells(const RecipeLine& line)
{
    std::set<Cell> cells;
    std::istringstream in(line.Get("cells"));
    std::string item;
    while (std::getline(in, item, ',')) {
        int c = -1, r = -1;
        if (std::sscanf(item.c_str(), "%d:%d", &c, &r) != 2 || c < 0 || c > 4 || r < 0 || r > 4)
            Fail(line.file + ":" + std::to_string(line.line) + ": bad cell '" + item + "'");
        cells.insert({c, r});
    }
    if (cells.empty() || cells.size() > 6)
        Fail(line.file + ":" + std::to_string(line.line) + ": a piece has 1 to 6 cells");
    return cells;
}

// Fills the variables the piece templates draw with: the cells as one path, the outer edges as
// another, the inner seams, and the centre of the piece.
void PieceGeometry(const std::set<Cell>& cells, Variables& vars)
{
    std::string fill, edges, seams;
    double cx = 0, cy = 0;
    for (const Cell& cell : cells) {
        double p[3][2];
        Corners(cell, p);
        fill += "M" + FormatNumber(p[0][0]) + "," + FormatNumber(p[0][1]) + " L" + FormatNumber(p[1][0]) + "," +
                FormatNumber(p[1][1]) + " L" + FormatNumber(p[2][0]) + "," + FormatNumber(p[2][1]) + " Z ";
        cx += (p[0][0] + p[1][0] + p[2][0]) / 3;
        cy += (p[0][1] + p[1][1] + p[2][1]) / 3;
        // Edge i joins corner i and i + 1; its neighbour across.
        bool up = IsUp(cell);
        Cell across[3] = {up ? Cell{cell.c + 1, cell.r} : Cell{cell.c, cell.r - 1},
                          up ? Cell{cell.c, cell.r + 1} : Cell{cell.c + 1, cell.r},
                          up ? Cell{cell.c - 1, cell.r} : Cell{cell.c - 1, cell.r}};
        for (int i = 0; i < 3; ++i) {
            std::string seg = "M" + FormatNumber(p[i][0]) + "," + FormatNumber(p[i][1]) + " L" +
                              FormatNumber(p[(i + 1) % 3][0]) + "," + FormatNumber(p[(i + 1) % 3][1]) + " ";
            (cells.count(across[i]) ? seams : edges) += seg;
        }
    }
    cx /= double(cells.size());
    cy /= double(cells.size());
    // The glint sits in the cell nearest the light (top left), a little towards its lit corner.
    double gx = 1e9, gy = 1e9;
    for (const Cell& cell : cells) {
        double p[3][2];
        Corners(cell, p);
        double x = (p[0][0] + p[1][0] + p[2][0]) / 3, y = (p[0][1] + p[1][1] + p[2][1]) / 3;
        if (x + 1.5 * y < gx + 1.5 * gy) {
            gx = x;
            gy = y;
        }
    }
    vars["gx"] = FormatNumber(gx - 3);
    vars["gy"] = FormatNumber(gy - 1);
    vars["shape"] = fill;
    vars["edges"] = edges;
    vars["seams"] = seams.empty() ? "M0,0" : seams;
    vars["cx"] = FormatNumber(cx);
    vars["cy"] = FormatNumber(cy);
}

std::string Where(const RecipeLine& line)
{
    return line.file + ":" + std::to_string(line.line);
}

std::string ManifestOptions(const ImageJob& job)
{
    std::string text;
    if (job.cols > 1)
        text += " cols=\"" + std::to_string(job.cols) + "\"";
    if (job.rows > 1)
        text += " rows=\"" + std::to_string(job.rows) + "\"";
    // Smooth gradients band in 16-bit textures; the card keeps these at full depth.
    if (job.recipe.Get("texture") == "a8r8g8b8")
        text += " a8r8g8b8=\"1\"";
    if (job.recipe.Has("anim")) {
        text += " anim=\"" + job.recipe.Get("anim") + "\"";
        if (job.recipe.Has("framedelay"))
            text += " framedelay=\"" + job.recipe.Get("framedelay") + "\"";
    }
    return text;
}

// Palettes first, then styles in the order written (a style may name palette colours and earlier
// styles), from every recipe file.
Sets ReadSets(const std::vector<RecipeLine>& lines)
{
    Sets sets;
    for (const char* kind : {"palette", "style"})
        for (const RecipeLine& line : lines) {
            if (line.Word(0) != kind)
                continue;
            const std::string where = Where(line);
            if (line.words.size() != 2 || sets.count(line.Word(1)))
                Fail(where + ": a " + kind + " line names one new set");
            Variables vars;
            for (const auto& [key, value] : line.values) {
                if (std::string(kind) == "palette" && !IsHexColour(value))
                    Fail(where + ": palette colours are written #rrggbb");
                vars[key] = std::string(kind) == "palette" ? value : "";
            }
            if (std::string(kind) == "style")
                vars = ResolvedValues(sets, line, where);
            sets[line.Word(1)] = vars;
        }
    return sets;
}

std::vector<RecipeLine> ReadAllLines(const Options& options)
{
    std::vector<RecipeLine> lines;
    for (const std::string& name : ListFiles(options.src + "/images", ".txt"))
        for (RecipeLine& line : ReadRecipe(options.src + "/images/" + name))
            lines.push_back(std::move(line));
    return lines;
}

std::vector<ImageJob> ReadJobs(const Options& options)
{
    std::vector<ImageJob> jobs;
    std::set<std::string> files;
    const std::vector<RecipeLine> lines = ReadAllLines(options);
    const Sets sets = ReadSets(lines);
    {
        for (const RecipeLine& line : lines) {
            const std::string& kind = line.Word(0);
            if (kind == "palette" || kind == "style")
                continue;
            ImageJob job;
            job.recipe = line;
            job.file = line.Word(3);
            job.vars = ResolvedValues(sets, line, Where(line));
            // The cel's own values would silently replace these in the template.
            for (const char* own : {"frame", "n", "t"})
                if (job.vars.count(own))
                    Fail(Where(line) + ": the value " + own + " is the cel's own; give it another name");
            if (kind == "image" || kind == "review") {
                job.reviewOnly = kind == "review";
                job.templateName = line.Word(4);
                job.cellWidth = line.Int("w", 0);
                job.cellHeight = line.Int("h", 0);
                job.cols = line.Int("cols", 1);
                job.rows = line.Int("rows", 1);
                job.jpeg = line.Get("format") == "jpeg";
            } else if (kind == "piece" || kind == "piece_light") {
                job.templateName = kind == "piece" ? "piece" : "piece_light";
                job.cellWidth = kMaskWidth;
                job.cellHeight = kMaskHeight;
                if (kind == "piece_light")
                    job.cols = 8;
                PieceGeometry(ParseCells(line), job.vars);
            } else {
                Fail(Where(line) + ": unknown kind " + kind);
            }
            if (job.cellWidth <= 0 || job.cellHeight <= 0 || job.cols < 1 || job.rows < 1)
                Fail(Where(line) + ": size and cells must be positive");
            if (!files.insert(job.file).second)
                Fail(Where(line) + ": file " + job.file + " made twice");
            jobs.push_back(std::move(job));
        }
    }
    return jobs;
}

// The font files the template's text is set in, as bytes for the cache key: a changed face makes
// its titles again. A family missing here fails, so no title falls back to a face we do not ship.
std::string FacesOf(const std::string& svg)
{
    static const std::map<std::string, std::string> kFiles = {
        {"Comfortaa", "/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf"},
        {"DejaVu Sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
    };
    std::string bytes;
    const std::string mark = "font-family=\"";
    for (size_t at = svg.find(mark); at != std::string::npos; at = svg.find(mark, at + 1)) {
        size_t end = svg.find('"', at + mark.size());
        std::string family = svg.substr(at + mark.size(), end - at - mark.size());
        auto file = kFiles.find(family);
        if (file == kFiles.end())
            Fail("a template sets text in " + family + ", which the generator does not know");
        bytes += HexOf(Hash64(ReadFile(file->second)));
    }
    return bytes;
}

std::string OutputPath(const Options& options, const ImageJob& job)
{
    if (job.reviewOnly)
        return options.review + "/scenes/" + job.file + ".png";
    return options.out + "/images/" + job.file + (job.jpeg ? ".jpg" : ".png");
}

void MakeOne(const Options& options, const ImageJob& job, const Cache& cache)
{
    std::string svgPath = options.src + "/images/" + job.templateName + ".svg";
    std::string svg = ReadFile(svgPath);
    // The key covers the values after palettes and styles are resolved, and the faces the
    // template's text is set in.
    std::string values;
    for (const auto& [key, value] : job.vars)
        values += key + "=" + value + "\n";
    std::string key = HexOf(Hash64(std::to_string(kImagesVersion) + job.recipe.text + values + svg + FacesOf(svg)));
    std::string out = OutputPath(options, job);
    if (cache.Fresh("images/" + job.file, key, {out}))
        return;
    // A template may give defaults for the values its recipes leave out: "defaults: a=1 b=#fff".
    Variables defaults;
    size_t mark = svg.find("defaults:");
    if (mark != std::string::npos) {
        size_t end = std::min(svg.find('\n', mark), svg.find("-->", mark));
        std::istringstream words(svg.substr(mark + 9, end - mark - 9));
        std::string word;
        while (words >> word) {
            size_t eq = word.find('=');
            if (eq != std::string::npos)
                defaults[word.substr(0, eq)] = word.substr(eq + 1);
        }
    }
    int cells = job.cols * job.rows;
    Picture strip = NewPicture(job.cellWidth * job.cols, job.cellHeight * job.rows);
    for (int k = 0; k < cells; ++k) {
        Variables vars = job.vars;
        vars.insert(defaults.begin(), defaults.end());
        vars["frame"] = std::to_string(k);
        vars["n"] = std::to_string(cells);
        vars["t"] = FormatNumber(double(k) / cells);
        vars["w"] = std::to_string(job.cellWidth);
        vars["h"] = std::to_string(job.cellHeight);
        std::string text;
        try {
            text = Expand(svg, vars);
        } catch (const std::exception& e) {
            Fail(Where(job.recipe) + ": " + job.templateName + ".svg: " + e.what());
        }
        Picture cell = RenderSvg(text, job.cellWidth, job.cellHeight, Where(job.recipe));
        Place(*strip, *cell, (k % job.cols) * job.cellWidth, (k / job.cols) * job.cellHeight);
    }
    if (job.jpeg && !job.reviewOnly)
        SavePictureJpeg(out, *strip);
    else
        SavePicturePng(out, *strip);
    Made("images/" + job.file);
    cache.Store("images/" + job.file, key);
}

} // namespace

namespace
{

// Centre of a cell's triangle in mask coordinates (no margin).
void CellCentre(const Cell& cell, double& x, double& y)
{
    x = 20.0 * cell.c + 20;
    y = 35.0 * cell.r + (IsUp(cell) ? 35.0 * 2 / 3 : 35.0 / 3);
}

// The cell pointing up (or down) whose centre lies nearest to (x, y).
Cell NearestCell(double x, double y, bool up)
{
    Cell best{0, 0};
    double bestDistance = 1e300;
    int c0 = int(std::floor(x / 20)) - 2, r0 = int(std::floor(y / 35)) - 1;
    for (int c = c0; c <= c0 + 4; ++c)
        for (int r = r0; r <= r0 + 2; ++r) {
            if (IsUp({c, r}) != up)
                continue;
            double cx, cy;
            CellCentre({c, r}, cx, cy);
            double d = (cx - x) * (cx - x) + (cy - y) * (cy - y);
            if (d < bestDistance) {
                bestDistance = d;
                best = {c, r};
            }
        }
    return best;
}

struct Rotation {
    std::set<Cell> cells;
    double centreX = 0, centreY = 0; // the piece's position in this mask
};

// Turns the piece by k steps of 60 degrees clockwise on screen (the way its picture turns) about
// its centre, and moves the turned cells back into the 5 x 5 mask by a step that keeps every
// cell's direction. The turn is taken on the equilateral lattice (rows 20 x sqrt 3 high), where it
// maps triangles onto triangles exactly, and brought back to the 35 pixel rows.
Rotation Rotate(const std::set<Cell>& cells, double cx, double cy, int k)
{
    const double squash = 20.0 * std::sqrt(3.0) / 35.0;
    const double a = k * M_PI / 3, cosA = std::cos(a), sinA = std::sin(a);
    struct Turned {
        double x, y;
        bool up; // an odd number of steps turns an up triangle down
    };
    std::vector<Turned> turned;
    for (const Cell& cell : cells) {
        double x, y;
        CellCentre(cell, x, y);
        double ex = x - cx, ey = (y - cy) * squash;
        turned.push_back(
            {cx + ex * cosA - ey * sinA, cy + (ex * sinA + ey * cosA) / squash, IsUp(cell) != (k % 2 == 1)});
    }
    // Every turned triangle is off the lattice by the same step: take it from the first one.
    Cell anchor = NearestCell(turned[0].x, turned[0].y, turned[0].up);
    double ax, ay;
    CellCentre(anchor, ax, ay);
    const double dx = ax - turned[0].x, dy = ay - turned[0].y;
    std::set<Cell> snapped;
    for (const Turned& t : turned)
        snapped.insert(NearestCell(t.x + dx, t.y + dy, t.up));
    if (snapped.size() != cells.size())
        Fail("a turned piece lost a cell");
    if (k == 0) {
        Rotation same;
        same.cells = cells;
        same.centreX = cx;
        same.centreY = cy;
        return same;
    }
    int minC = 99, maxC = -99, minR = 99, maxR = -99;
    for (const Cell& cell : snapped) {
        minC = std::min(minC, cell.c), maxC = std::max(maxC, cell.c);
        minR = std::min(minR, cell.r), maxR = std::max(maxR, cell.r);
    }
    // Centre the cells in the mask as nearly as a shift allows that keeps each cell's direction
    // (columns plus rows even).
    const int wantR = (4 - (maxR - minR)) / 2 - minR, wantC = (4 - (maxC - minC)) / 2 - minC;
    int shiftR = wantR, shiftC = wantC, bestCost = 1 << 30;
    for (int r = minR * -1; r <= 4 - maxR; ++r)
        for (int c = -minC; c <= 4 - maxC; ++c) {
            int cost = 4 * (r - wantR) * (r - wantR) + (c - wantC) * (c - wantC);
            if ((((c + r) % 2) + 2) % 2 == 0 && cost < bestCost) {
                bestCost = cost;
                shiftR = r;
                shiftC = c;
            }
        }
    Rotation out;
    for (const Cell& cell : snapped)
        out.cells.insert({cell.c + shiftC, cell.r + shiftR});
    out.centreX = cx + dx + 20.0 * shiftC;
    out.centreY = cy + dy + 35.0 * shiftR;
    return out;
}

// Equal up to a shift of the whole mask.
bool SameShape(const std::set<Cell>& a, const std::set<Cell>& b)
{
    if (a.size() != b.size() || a.empty() || IsUp(*a.begin()) != IsUp(*b.begin()))
        return false;
    const int dc = b.begin()->c - a.begin()->c, dr = b.begin()->r - a.begin()->r;
    for (const Cell& cell : a)
        if (!b.count({cell.c + dc, cell.r + dr}))
            return false;
    return true;
}

std::string MaskText(const std::set<Cell>& cells)
{
    std::string mask;
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 5; ++c)
            mask += cells.count({c, r}) ? '1' : '0';
        mask += r < 4 ? " " : "";
    }
    return mask;
}

bool FitsMask(const std::set<Cell>& cells)
{
    for (const Cell& cell : cells)
        if (cell.c < 0 || cell.c > 4 || cell.r < 0 || cell.r > 4)
            return false;
    return true;
}

} // namespace

std::string DescribePieces(const Options& options)
{
    std::string text =
        "<!-- Each piece as the board's element rows can take it: the masks of its six rotations (five\n"
        "     rows of five, top row first; rotation k turns the picture k x 60 degrees clockwise), the\n"
        "     piece's position in each mask, how many rotations differ, its picture and the picture point\n"
        "     placed on the position. Made by the data generator from data/images/pieces.txt. -->\n";
    char number[64];
    for (const RecipeLine& line : ReadRecipe(options.src + "/images/pieces.txt")) {
        if (line.Word(0) != "piece")
            continue;
        std::set<Cell> cells = ParseCells(line);
        Variables vars;
        PieceGeometry(cells, vars);
        const double cx = std::stod(vars["cx"]) - kPad, cy = std::stod(vars["cy"]) - kPad;
        std::string grids, centres;
        int positions = 6;
        for (int k = 0; k < 6; ++k) {
            Rotation turn = Rotate(cells, cx, cy, k);
            if (!FitsMask(turn.cells))
                Fail(Where(line) + ": rotation " + std::to_string(k) + " does not fit the 5 x 5 mask");
            grids += " grid" + std::to_string(k + 1) + "=\"" + MaskText(turn.cells) + "\"";
            std::snprintf(number, sizeof number, " center%d=\"%f %f\"", k + 1, turn.centreX, turn.centreY);
            centres += number;
            // The first rotation that gives the first mask again tells how many differ.
            if (k > 0 && positions == 6 && 6 % k == 0 && SameShape(turn.cells, cells))
                positions = k;
        }
        std::snprintf(number, sizeof number, "%f %f", cx + kPad, cy + kPad);
        text += "<element" + grids + centres + " image=\"" + line.Word(2) + "\" image_center=\"" + number +
                "\" positions=\"" + std::to_string(positions) + "\" score=\"" + std::to_string(10 * cells.size()) +
                "\"/>\n";
    }
    return text;
}

std::string PaletteColour(const Options& options, const std::string& value, const std::string& where)
{
    if (IsHexColour(value) || (value.size() == 9 && IsHexColour(value.substr(0, 7))))
        Fail(where + ": colour " + value + " written out; name it in a palette");
    if (value.empty() || value[0] != '@')
        return value;
    // "@set.key:AA" adds an alpha to a palette colour.
    const size_t colon = value.find(':');
    const Sets sets = ReadSets(ReadAllLines(options));
    std::string colour = Resolve(sets, value.substr(0, colon), where);
    if (colon != std::string::npos)
        colour += value.substr(colon + 1);
    return colour;
}

std::map<std::string, std::map<std::string, std::string>> ImageValues(const Options& options)
{
    std::map<std::string, std::map<std::string, std::string>> values;
    for (const ImageJob& job : ReadJobs(options))
        values[job.file] = job.vars;
    return values;
}

std::vector<ManifestEntry> MakeImages(const Options& options, bool make)
{
    std::vector<ImageJob> jobs = ReadJobs(options);
    if (make) {
        Cache cache(options.cache);
        ParallelFor(int(jobs.size()), options.jobs, [&](int i) { MakeOne(options, jobs[size_t(i)], cache); });
    }
    std::vector<ManifestEntry> entries;
    for (const ImageJob& job : jobs) {
        if (job.reviewOnly)
            continue;
        ManifestEntry e;
        e.group = job.recipe.Word(1);
        e.kind = "Image";
        e.id = job.recipe.Word(2);
        e.attributes = "path=\"images\\" + job.file + "\"" + ManifestOptions(job);
        e.file = "images/" + job.file + (job.jpeg ? ".jpg" : ".png");
        entries.push_back(e);
    }
    return entries;
}

} // namespace datagen
