#pragma once

#include <string>
#include <string_view>
#include <vector>

// A small Flash movie written byte by byte, standing in for a video site's player: on a dark
// stage an orange square slides from left to right and back, and a yellow text field shows
// the value of one of the movie's variables (the player files take the play id from their
// address's query, which a Flash player hands to the movie as variables).
namespace arlo::standin {

inline constexpr int kSwfStageWidth = 480;  // pixels
inline constexpr int kSwfStageHeight = 270;
inline constexpr int kSwfFrameRate = 12;  // frames per second
inline constexpr int kSwfFrameCount = 24;

// An uncompressed SWF (version 8) whose text field is bound to `variable`.
std::string swfMovieShowing(std::string_view variable);

// A URL that a movie's first frame asks its player to open in `target` (a window or frame
// name, or "_levelN" to load a movie there).
struct SwfUrlCall {
    std::string url;
    std::string target;
};

// The same movie, whose first frame also asks for each of `calls`, in order.
std::string swfMovieShowing(std::string_view variable, const std::vector<SwfUrlCall>& calls);

}  // namespace arlo::standin
