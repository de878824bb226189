#include "host/ui_strings.h"

namespace qv {
namespace {

const char kStrings[kStrCount][kUIStringSlot] = {
    "",
    "Quorvel",
    "Quorvel by Tessmar: an effect that runs your own GLSL or Lua code on every frame.",
    "World rule",
    "Edit",
    "Debug",
    "Language",
    "Advanced",
    "GLSL (GPU)",
    "shadertoy.com",
    "Lua (CPU & GPU)",
    "Wrap u sampler",
    "Wrap v sampler",
    "Repeat",
    "Mirrored repeat",
    "Clamp to edge",
    "Magnify sampler",
    "Minify sampler",
    "Linear interpolation",
    "Nearest pixel",
    "Parameters",
    "Reset all parameters",
    "Reset",
    "Sliders",
    "Reset all sliders",
    "Slider ",
    "Angles",
    "Reset all angles",
    "Angle ",
    "Points",
    "Reset all points",
    "Point ",
    "3D Points",
    "Reset all 3D points",
    "3D Point ",
    "Checkboxes",
    "Reset all checkboxes",
    "Checkbox ",
    "Colors",
    "Reset all colors",
    "Color ",
    "Layers",
    "Reset all layers",
    "Load layer ",
    "Layer ",
};

} // namespace

const char *GetUIString(int id)
{
    return id > 0 && id < kStrCount ? kStrings[id] : kStrings[kStrNone];
}

} // namespace qv
