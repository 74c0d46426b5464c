// Where the controls of both windows stand, in twips (1/1440 inch; 15 twips
// make a pixel at 96 dots per inch), from the top left corner of the client
// area. Each view converts them with its own DPI; the controls are listed in
// tab order.
#pragma once

namespace karvonel::window {

struct TwipsRect {
  int left, top, width, height;
};

struct ControlPlace {
  const char* name;
  TwipsRect twips;
};

inline constexpr TwipsRect kMainClient = {0, 0, 5655, 5070};
inline constexpr ControlPlace kMainControls[] = {
    {"Drv1", {120, 120, 2655, 300}},
    {"Dir1", {120, 480, 2655, 2400}},
    {"Fil1", {2880, 480, 2655, 2430}},
    {"Txt1", {120, 3360, 5415, 270}},
    {"Lbl1", {120, 3000, 855, 255}},
    {"Cmd1", {120, 4680, 1215, 255}},
    {"Lbl2", {120, 3960, 1215, 255}},
    {"Txt2", {120, 4320, 5415, 270}},
    {"Cmd2", {4320, 4680, 1215, 255}},
    // The line runs from (120, 3720) to (5520, 3720), both ends drawn.
    {"Line1", {120, 3720, 5415, 15}},
};

inline constexpr TwipsRect kAboutClient = {0, 0, 3990, 1695};
inline constexpr ControlPlace kAboutControls[] = {
    {"Lbl1", {240, 240, 3015, 255}},
    {"Lbl2", {480, 720, 2775, 255}},
    {"Cmd1", {2640, 1200, 1215, 375}},
};

}  // namespace karvonel::window
