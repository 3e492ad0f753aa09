// The general decimal form of a number with a given count of significant digits, as printf's
// "%.*g" writes it in the C locale: the value rounded to `digits` significant digits (half to
// even), trailing zeros dropped, exponent form ("1.5e-07", "1e+15") when the decimal exponent is
// below -4 or not below `digits`. Used for every number of the result and problem files, so it
// is fast for the 7 and 15 digits they use; any other case goes through std::to_chars, whose
// text it matches character for character.
#pragma once

namespace kelva::text {

// Room that generalForm may need at `out`.
constexpr int kGeneralFormSize = 32;

// How the form is spelled: as printf writes it ("0.05", "1.5e-07"), or as the files write it,
// without the zero before the point of a value below 1 and with a capital E (".05", "1.5E-07").
enum class Spelling { Printf, File };

// Writes the form of a finite, non-zero `v` (digits 1..17) at `out`; returns the end.
char* generalForm(char* out, double v, int digits, Spelling spelling = Spelling::Printf);

} // namespace kelva::text
