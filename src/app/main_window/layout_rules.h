// The main window's geometry rules as plain arithmetic: where a framed edit's text starts, how
// wide the side panels are for an aspect ratio, and the halvings that centre a panel.
#pragma once
#include <string_view>

namespace wellvue {

struct Aspect {
  int w = 4;
  int h = 3;
};

// "4:3", "3:2", "16:9", "1:1"; anything else counts as 4:3.
Aspect aspect_from_text(std::string_view text);

// Left of a framed edit's text area: (width x 10 - (length + 1) x 70) div 20, or 3 when negative.
int centred_edit_left(int width, int text_length);

struct SideWidths {
  int right = 0;  // Panel3
  int left = 0;   // Panel4
  int video = 0;  // the picture's width at the capture control's height
};

// The side panels for a window of outer width window_width and a capture control of height
// video_height: equal sides when there is room for more than 230 px each; otherwise the right
// keeps 230 and the left takes what remains (never less than nothing).
SideWidths side_widths(int window_width, int video_height, Aspect aspect);

// Offset that centres a thing of width inner in a space of width outer (truncating toward zero).
inline int centred_offset(int outer, int inner) { return (outer - inner) / 2; }

}  // namespace wellvue
