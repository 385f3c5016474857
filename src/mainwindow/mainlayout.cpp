#include "mainwindow/mainlayout.h"

#include <algorithm>

namespace mainlayout {

const Geometry& design()
{
    static const Geometry g = {
        {"Frame1", {240, -120, 2895, 615}},    {"Option1", {480, 240, 855, 180}},
        {"Option2", {1320, 240, 1095, 180}},   {"Drive1", {240, 480, 2895, 300}},
        {"Dir1", {240, 840, 2895, 1350}},      {"ListView1", {240, 2280, 2895, 3375}},
        {"Label1", {1200, 5760, 975, 255}},    {"Slider1", {1800, 5760, 1335, 255}},
        {"Command3", {240, 6120, 495, 495}},   {"Command4", {720, 6120, 495, 495}},
        {"Command5", {1200, 6120, 495, 495}},  {"Command6", {1680, 6120, 495, 495}},
        {"Command7", {2160, 6120, 495, 495}},  {"Command8", {2640, 6120, 495, 495}},
        {"Command1", {240, 6600, 1455, 375}},  {"Command2", {1680, 6600, 1455, 375}},
    };
    return g;
}

Distances recordDistances(const Geometry& g, double sw, double sh)
{
    const auto& at = [&g](const char* name) { return g.at(QLatin1String(name)); };
    return {
        at("Drive1").top,
        at("Dir1").top,
        at("ListView1").top,
        twips::roundHalfEven(sh - at("ListView1").height),
        sh - at("Label1").top,
        sh - at("Slider1").top,
        twips::roundHalfEven(sh - at("Command1").top),
        sh - at("Command3").top,
        at("Command2").left - (at("Command1").left + at("Command1").width),
        at("Command4").left - (at("Command3").left + at("Command3").width),
        at("Label1").left - (at("Slider1").left - at("Slider1").width),
        sw - at("Drive1").width,
        sw - at("Dir1").width,
        twips::roundHalfEven(sw - at("ListView1").width),
    };
}

Geometry resized(Geometry g, const Distances& d, double W, double scaleHeight)
{
    const double H = twips::roundHalfEven(scaleHeight);
    auto r = [&g](const char* name) -> twips::Rect& { return g.at(QLatin1String(name)); };
    r("Drive1").top = d.DriveTop;
    r("Dir1").top = d.DirTop;
    r("ListView1").top = d.ListTop;
    r("ListView1").height = std::max(0.0, scaleHeight - d.ListHeightMargin);
    r("Label1").top = H - d.LabelBottom;
    r("Slider1").top = H - d.SliderBottom;
    r("Command1").top = r("Command2").top = H - d.ButtonRowBottom;
    for (const char* name : {"Command3", "Command4", "Command5", "Command6", "Command7", "Command8"})
        r(name).top = H - d.IconRowBottom;
    r("Command1").left = W / 2 - d.ButtonGap / 2 - r("Command1").width;
    r("Command2").left = W / 2 - d.ButtonGap / 2;
    const double B = W / 2 - d.IconGap / 2;
    const double w = r("Command3").width;
    r("Command3").left = B - 3 * w + 30;
    r("Command4").left = B - 2 * w + 30;
    r("Command5").left = B - w + 15;
    r("Command6").left = B;
    r("Command7").left = B + w - 15;
    r("Command8").left = B + 2 * w - 30;
    r("Label1").left = W / 2 - d.LabelOffset / 2;
    r("Slider1").left = W / 2;
    r("Drive1").width = std::max(0.0, W - d.DriveWidthMargin);
    r("Dir1").width = std::max(0.0, W - d.DirWidthMargin);
    r("ListView1").width = std::max(0.0, W - d.ListWidthMargin);
    for (const char* name : {"Drive1", "Dir1", "ListView1"})
        r(name).left = W / 2 - r(name).width / 2;
    return g;
}

} // namespace mainlayout
