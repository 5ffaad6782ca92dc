// font_face.h: finds the file of a font face installed on the system by its
// family name and style, through fontconfig.
#pragma once

#include <string>

// The file of the installed face of `family` closest to the style. False with
// the reason when no installed face has that family name (fontconfig's
// nearest substitute of another family is refused, so a typing error is not
// silently drawn in some other face).
bool find_system_face(const std::string &family, bool bold, bool italic, std::string &path, std::string &error);
