// font_face.cpp: system font faces by family name through fontconfig.
#include "font_face.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

namespace {

// Owns what one lookup creates.
struct FcLookup
{
	FcConfig *config = nullptr;
	FcPattern *pattern = nullptr, *match = nullptr;
	~FcLookup()
	{
		if (match)
			FcPatternDestroy(match);
		if (pattern)
			FcPatternDestroy(pattern);
		if (config)
			FcConfigDestroy(config);
	}
};

bool has_family(FcPattern *match, const std::string &family)
{
	FcChar8 *name = nullptr;
	for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; i++)
		if (strcasecmp((const char *)name, family.c_str()) == 0)
			return true;
	return false;
}

} // namespace

bool find_system_face(const std::string &family, bool bold, bool italic, std::string &path, std::string &error)
{
	FcLookup fc;
	fc.config = FcInitLoadConfigAndFonts();
	if (!fc.config) {
		error = "the system's font configuration cannot be read";
		return false;
	}
	fc.pattern = FcPatternCreate();
	FcPatternAddString(fc.pattern, FC_FAMILY, (const FcChar8 *)family.c_str());
	FcPatternAddInteger(fc.pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
	FcPatternAddInteger(fc.pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
	FcPatternAddBool(fc.pattern, FC_SCALABLE, FcTrue);
	FcConfigSubstitute(fc.config, fc.pattern, FcMatchPattern);
	FcDefaultSubstitute(fc.pattern);
	FcResult result = FcResultNoMatch;
	fc.match = FcFontMatch(fc.config, fc.pattern, &result);
	FcChar8 *file = nullptr;
	if (!fc.match || !has_family(fc.match, family) ||
	    FcPatternGetString(fc.match, FC_FILE, 0, &file) != FcResultMatch) {
		error = "no font face \"" + family + "\" is installed";
		return false;
	}
	path = (const char *)file;
	return true;
}
