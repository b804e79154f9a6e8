#pragma once
// The pictures a setup carries: each has a fixed role and size, since the dialog's layout and the
// buttons' places are made for them. The bitmaps come at 100 % and as "name-150.bmp" and
// "name-200.bmp" for screens at 150 % and 200 %.
#include <stdint.h>

#include <string>
#include <vector>

// "background.bmp", "toggle-200.bmp", "hand.cur", "app.ico", ...
bool IsPictureName(const std::string& name);
// "" when the file fits its name's role, else what is wrong ("is 10 x 10 pixels; it must be 500 x 292").
std::string PictureFault(const std::string& name, const std::vector<uint8_t>& bytes);
// Every picture's name, in a fixed order.
std::vector<std::string> PictureNames();
// What the picture is for and where it shows; "" for no picture's name.
std::string PictureRole(const std::string& name);
