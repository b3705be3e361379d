// The main window's geometry rules as plain arithmetic: where a framed edit's text starts, how
// wide the side panels are for an aspect ratio, and the halvings that centre a panel.
#pragma once
#include <string_view>
#include <vector>

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

// The side panels when the left one must keep `least_left` pixels for its controls: the video
// gives up the width instead (the picture is letterboxed in what remains).
SideWidths side_widths_keeping_left(int window_width, int video_height, Aspect aspect, int least_left);

struct Box {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Where the window opens in the screen's available area: its designed client size when that fits
// with the frame the window manager adds (frame_width, frame_height), otherwise scaled down with
// its proportions kept; centred. x and y place the frame, width and height are the client's.
Box fitted_window(Box available, int frame_width, int frame_height, int design_width, int design_height);

// The largest rectangle of the aspect inside a width x height area, centred.
Box aspect_box(int width, int height, Aspect aspect);

struct Span {
  int top = 0;
  int height = 0;
};

// A column of controls designed design_height high shown in `room` pixels: the empty space between
// the controls shrinks first, then the controls themselves. Controls side by side or stacked on
// purpose keep their offsets; a column with room enough keeps its design.
std::vector<Span> compacted_column(const std::vector<Span>& design, int design_height, int room);

// Offset that centres a thing of width inner in a space of width outer (truncating toward zero).
inline int centred_offset(int outer, int inner) { return (outer - inner) / 2; }

}  // namespace wellvue
